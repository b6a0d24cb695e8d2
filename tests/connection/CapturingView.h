#pragma once
// A view that records what the core shows, for tests. Long operations run inline.

#include "connection/InstallerView.h"

#include <mutex>
#include <string>
#include <vector>

class CCapturingView : public IInstallerView {
public:
    void ShowMessageLine(const std::string& line) override
    {
        std::lock_guard guard(m_lock);
        lines.push_back(line);
    }
    void ClearMessageLines() override
    {
        std::lock_guard guard(m_lock);
        lines.clear();
    }
    void RunWithProgress(const std::function<void()>& work, ProgressKind) override
    {
        ++jobs;
        if (!dropJobs)
            work();
    }
    void SetProgressText(const std::string& text) override
    {
        std::lock_guard guard(m_lock);
        progressTexts.push_back(text);
    }
    void SetProgressSteps(int steps) override { progressSteps = steps; }
    void StepProgress() override { ++progressStepped; }
    void EnableAbort(bool enable) override { abortEnabled = enable; }
    bool AskYesNo(const std::string& question) override
    {
        std::lock_guard guard(m_lock);
        questions.push_back(question);
        return answerYes;
    }
    void ShowMessageBox(const std::string& text) override
    {
        std::lock_guard guard(m_lock);
        boxes.push_back(text);
    }
    void ShowSessionState(const SessionState& state) override
    {
        controlsConnected = state.bConnected;
        if (state.nAddress != m_shown.nAddress)
            addressesShown.push_back(state.nAddress);
        m_shown = state;
    }
    void ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status) override
    {
        configRows = config;
        statusRows = status;
    }

    std::vector<std::string> Lines()
    {
        std::lock_guard guard(m_lock);
        return lines;
    }

    std::vector<std::string> lines;
    std::vector<std::string> progressTexts;
    std::vector<std::string> boxes;
    std::vector<std::string> questions;
    bool answerYes = false;
    bool dropJobs = false; // a window that cannot run an operation just now
    int progressSteps = 0;
    int progressStepped = 0;
    bool abortEnabled = true;
    bool controlsConnected = false;
    std::vector<int> addressesShown; // each address the session showed, as it changed
    SessionState m_shown;
    std::vector<InfoRow> configRows;
    std::vector<InfoRow> statusRows;
    int jobs = 0;

private:
    std::mutex m_lock;
};
