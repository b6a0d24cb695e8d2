#pragma once
// The "Communicating" window of a running operation: a text line, a bar (stepped, for a
// download) or a running indicator, and "&Abort". The main window shows it modally while the
// operation's worker runs; the worker's end closes it with a posted message (kCloseProgress), as
// do its steps and the enabling of Abort (the messages of WindowMessages.h). Abort, Esc and the
// title bar's close ask the main window to cancel (kAbort) and close the window at once.

#include "winwindow/widgets/Dialog.h"

#include <functional>
#include <string>

class CDlgProgress final : public CDialog {
public:
    static constexpr int kDefaultSteps = 20;

    // stepped: a bar moving stepSize per step; else a running indicator. onShown runs once the
    // window is up (the main window starts the worker there, so the worker's end finds it).
    CDlgProgress(bool stepped, int stepSize, HWND mainWindow, std::function<void()> onShown);

    // True when it closed by Abort.
    bool Run(HWND owner);
    void SetText(const std::string& text);

    // For tests and pictures: the bar's position and range, and whether Abort is enabled.
    int Position() const;
    int Steps() const;

private:
    bool OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void CreateIndicator();
    void CentreOverMainWindow();
    void OnAbort();
    void Step();

    bool m_bStepped;
    int m_nSteps = kDefaultSteps;
    int m_nLower = 0;
    int m_nStepSize;
    int m_nPosition = 0;
    HWND m_mainWindow;
    HWND m_bar = nullptr;
    std::function<void()> m_onShown;
    std::string m_strText;
    bool m_bEnding = false;
};
