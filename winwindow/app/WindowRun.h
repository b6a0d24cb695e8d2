#pragma once
// The interactive start on Windows: the common controls, the main window over the application's
// core, until the window closes. Only a run that opens the window calls this.

class CPellworthTestApp;

// Returns the exit status: 0 after Exit, 1 when the window could not be made.
int RunMainWindow(CPellworthTestApp& app);

// Ends a running window from any thread (a stop signal), as Exit ends it. Nothing while no
// window runs.
void QuitMainWindow();
