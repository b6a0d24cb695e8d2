#pragma once
// Which signal a console event stands for in CSignalWatch (Windows only).

// SIGINT for CTRL_C_EVENT, SIGTERM for CTRL_BREAK_EVENT (what schedulers send a console program),
// SIGHUP's number for CTRL_CLOSE_EVENT (the console window was closed); 0 for the rest, which
// reach services only.
int SignalOfConsoleEvent(unsigned long event);
