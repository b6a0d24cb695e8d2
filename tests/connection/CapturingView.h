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
    void RunWithProgress(const std::function<void()>& work) override
    {
        ++jobs;
        work();
    }
    void SetProgressText(const std::string& text) override
    {
        std::lock_guard guard(m_lock);
        progressTexts.push_back(text);
    }
    void SetProgressSteps(int) override {}
    void StepProgress() override {}
    void EnableAbort(bool) override {}
    bool AskYesNo(const std::string&) override { return false; }
    void ShowMessageBox(const std::string& text) override
    {
        std::lock_guard guard(m_lock);
        boxes.push_back(text);
    }
    void EnableControls(bool) override {}
    void SetDisplayAddress(int) override {}
    void SelectFirstPort() override {}
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
    std::vector<InfoRow> configRows;
    std::vector<InfoRow> statusRows;
    int jobs = 0;

private:
    std::mutex m_lock;
};
