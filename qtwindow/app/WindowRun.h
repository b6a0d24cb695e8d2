#pragma once
// The interactive start: creates the Qt application and the main window over the application's
// core and runs it until the window closes. Only a run that opens the window calls this, so the
// command-line forms never need a display server.

#include <iosfwd>

class CPellworthTestApp;

// argc/argv are the process's, for Qt's own switches. Returns the exit status (0 after Exit), or 2
// after one line on err when there is no display server to open the window on.
int RunMainWindow(int& argc, char** argv, CPellworthTestApp& app, std::ostream& err);

// Ends a running window from any thread (a stop signal): its event loops end as Exit ends them.
// Does nothing while no window runs.
void QuitMainWindow();
