#pragma once
// The real main window over a real application core, on the test's thread, driven by a script on
// a second thread as an operator would drive it: clicks are posted (a click that opens a modal
// window must not block the script), texts and states are read with sent messages, and the script
// waits for windows and states instead of sleeping.

#include "app/PellworthTestApp.h"
#include "winwindow/app/DlgPellworthTestApp.h"
#include "winwindow/widgets/UiCalls.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// What the window is opened with: Auto Connect tries 115200 baud only.
struct RigOptions {
    bool bAutoJob = false;    // "a"
    std::string strDisplays;  // its display list
};

class CWindowRig {
public:
    static constexpr int kWaitMs = 30000;

    explicit CWindowRig(RigOptions options = {});
    ~CWindowRig();
    CWindowRig(const CWindowRig&) = delete;
    CWindowRig& operator=(const CWindowRig&) = delete;

    // Opens the window, runs script on a driver thread, and closes the window once the script has
    // returned (after answering what it left open). Returns the window's exit status.
    int Run(const std::function<void(CWindowRig&)>& script);

    CPellworthTestApp& App() { return *m_app; }
    CDlgPellworthTestApp& Window() { return *m_window; }
    HWND Main() const { return m_main; }
    HWND Page(int index);

    // From the script's thread.
    static void Click(HWND dialog, int id);
    static std::string Text(HWND dialog, int id);
    static void SetText(HWND dialog, int id, const std::string& text);
    static bool IsEnabled(HWND dialog, int id);
    // Selects an item of a combo box or list box and tells its dialog, as a choice by hand does.
    static void Choose(HWND dialog, int id, int index);
    static bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs);
    // A visible top-level window of the window's thread with this title, other than the main
    // window and those listed in except; null after the time-out.
    HWND WaitForWindow(const std::string& title, int timeoutMs = kWaitMs, const std::vector<HWND>& except = {}) const;
    static bool WaitUntilGone(HWND window, int timeoutMs = kWaitMs);
    // A message box's text, and its answer (IDYES, IDNO, IDOK).
    static std::string BoxText(HWND box);
    static void Answer(HWND box, int button);
    // The message list's lines.
    std::vector<std::string> Lines() const;
    bool WaitForLine(const std::string& part, int timeoutMs = kWaitMs) const;
    // Selects the COM port with this number; false (and a test failure) when the list lacks it.
    bool ChoosePort(int port);
    // Auto Connect to the display at port and address, each question answered No (and kept in
    // asked); true when it ended connected.
    bool AutoConnect(int port, int address, std::vector<std::string>* asked = nullptr);
    // Runs fn on the window's thread and waits for it.
    void OnWindowThread(const std::function<void()>& fn);

private:
    RigOptions m_options;
    std::ostringstream m_out;
    std::unique_ptr<CPellworthTestApp> m_app;
    std::unique_ptr<CUiCalls> m_calls;
    std::unique_ptr<CDlgPellworthTestApp> m_window;
    HWND m_main = nullptr;
    DWORD m_threadId = 0;
};
