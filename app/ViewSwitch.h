#pragma once
// The view the core reports to, chosen once the command line is known: the console for -ping and
// -info, the terminal view or nothing for an unattended job, the window for an interactive start.
// Forwards every call of the view interface to the view in use. The window's keep-alive thread may
// call while the window thread switches, so the pointer is atomic.

#include "connection/InstallerView.h"

#include <atomic>

class CViewSwitch final : public IInstallerView {
public:
    explicit CViewSwitch(IInstallerView& initial) : m_view(&initial) {}
    void Use(IInstallerView& view) { m_view = &view; }

    void ShowMessageLine(const std::string& line) override { m_view.load()->ShowMessageLine(line); }
    void ClearMessageLines() override { m_view.load()->ClearMessageLines(); }
    void RunWithProgress(const std::function<void()>& work, ProgressKind kind) override
    {
        m_view.load()->RunWithProgress(work, kind);
    }
    void SetProgressText(const std::string& text) override { m_view.load()->SetProgressText(text); }
    void SetProgressSteps(int steps) override { m_view.load()->SetProgressSteps(steps); }
    void StepProgress() override { m_view.load()->StepProgress(); }
    void EnableAbort(bool enable) override { m_view.load()->EnableAbort(enable); }
    void ShowTransferProgress(const std::string& fileName, unsigned long done, unsigned long total) override
    {
        m_view.load()->ShowTransferProgress(fileName, done, total);
    }
    void SetLineProgressText(int port, const std::string& text, const std::string& allLines) override
    {
        m_view.load()->SetLineProgressText(port, text, allLines);
    }
    void ShowLineTransferProgress(int port, const std::string& fileName, unsigned long done,
                                  unsigned long total) override
    {
        m_view.load()->ShowLineTransferProgress(port, fileName, done, total);
    }
    void EndLineProgress(int port, const std::string& allLines) override
    {
        m_view.load()->EndLineProgress(port, allLines);
    }
    bool AskYesNo(const std::string& question) override { return m_view.load()->AskYesNo(question); }
    void ShowMessageBox(const std::string& text) override { m_view.load()->ShowMessageBox(text); }
    bool ChooseConfiguration(const ConfigurationLists& lists, ConfigurationChoice& choice) override
    {
        return m_view.load()->ChooseConfiguration(lists, choice);
    }
    void ShowSessionState(const SessionState& state) override { m_view.load()->ShowSessionState(state); }
    void ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status) override
    {
        m_view.load()->ShowDisplayLists(config, status);
    }

private:
    std::atomic<IInstallerView*> m_view; // not owned
};
