#pragma once
// The view the core reports to, chosen once the command line is known: the console for -ping and
// -info, the terminal view or nothing for an unattended job. Forwards every call to the view in
// use; set it before the core runs anything.

#include "connection/InstallerView.h"

class CViewSwitch final : public IInstallerView {
public:
    explicit CViewSwitch(IInstallerView& initial) : m_view(&initial) {}
    void Use(IInstallerView& view) { m_view = &view; }

    void ShowMessageLine(const std::string& line) override { m_view->ShowMessageLine(line); }
    void ClearMessageLines() override { m_view->ClearMessageLines(); }
    void RunWithProgress(const std::function<void()>& work, ProgressKind kind) override
    {
        m_view->RunWithProgress(work, kind);
    }
    void SetProgressText(const std::string& text) override { m_view->SetProgressText(text); }
    void SetProgressSteps(int steps) override { m_view->SetProgressSteps(steps); }
    void StepProgress() override { m_view->StepProgress(); }
    void EnableAbort(bool enable) override { m_view->EnableAbort(enable); }
    void ShowTransferProgress(const std::string& fileName, unsigned long done, unsigned long total) override
    {
        m_view->ShowTransferProgress(fileName, done, total);
    }
    bool AskYesNo(const std::string& question) override { return m_view->AskYesNo(question); }
    void ShowMessageBox(const std::string& text) override { m_view->ShowMessageBox(text); }
    void EnableControls(bool connected) override { m_view->EnableControls(connected); }
    void SetDisplayAddress(int address) override { m_view->SetDisplayAddress(address); }
    void SelectFirstPort() override { m_view->SelectFirstPort(); }
    void ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status) override
    {
        m_view->ShowDisplayLists(config, status);
    }

private:
    IInstallerView* m_view; // not owned
};
