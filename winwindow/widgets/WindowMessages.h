#pragma once
// The window's own messages: what the pages post to the main window, and what the progress window
// takes. Pages post these instead of calling the main window, so that a page knows nothing of it.

#include <windows.h>

namespace winmsg {
// The main window.
constexpr UINT kShowMessage = WM_USER + 1;      // wParam: the stored line's number
constexpr UINT kAbort = WM_USER + 3;            // the progress window's "&Abort"
constexpr UINT kStopPattern = WM_USER + 5;
constexpr UINT kStartPattern = WM_USER + 6;     // wParam: the pattern's number
constexpr UINT kDownloadFirmware = WM_USER + 7; // wParam: 1 another file, 0 the recommended one
constexpr UINT kCheckConfiguration = WM_USER + 8; // wParam: the selected type's key
constexpr UINT kResetDisplay = WM_USER + 12;
constexpr UINT kMemoryCleanup = WM_USER + 13;
constexpr UINT kSetTimeDate = WM_USER + 14;
constexpr UINT kLoopBackEnded = WM_USER + 15;   // wParam: the result
constexpr UINT kLoopBackProgress = WM_USER + 16; // wParam done, lParam total
constexpr UINT kAutomaticJob = WM_APP;           // run the "a" job
constexpr UINT kFirmwareFileChanged = WM_APP + 20; // the firmware page's file or its box changed
constexpr UINT kStartWizard = WM_APP + 21;
// The progress window.
constexpr UINT kCloseProgress = WM_USER + 4;
constexpr UINT kEnableAbort = WM_USER + 9; // wParam 0 or 1
constexpr UINT kStepProgress = WM_USER + 10;
constexpr UINT kSetProgressSteps = WM_USER + 11; // wParam: the number of steps
} // namespace winmsg
