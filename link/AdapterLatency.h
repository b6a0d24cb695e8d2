#pragma once
// What to do about a USB-serial adapter that holds short replies back (posix/ and
// win32/AdapterLatency.cpp). FTDI adapters send a part-filled USB packet only when their latency
// timer runs out (16 ms unless set otherwise), which a stop-and-wait transfer pays on every block.
//
// POSIX: finds the tty behind COM n and its sysfs latency_timer (ftdi_sio has one), reads it and
// tries to set it to 1 ms; names the package's udev rule that sets it at every plug-in.
// Windows: looks (read-only) for the FTDI driver's LatencyTimer of the port and says where the
// Device Manager changes it.

#include <string>

// The rule file the Linux package installs.
inline constexpr const char* kAdapterLatencyUdevRule = "/usr/lib/udev/rules.d/99-qvxfirminstaller-latency.rules";

// One or more sentences for the status line: what was found or done, and how to mend it for good.
// A failed read or write keeps the system's reason.
std::string AdapterLatencyAdvice(int comPort);
