#pragma once
// COM port numbers and the devices behind them (posix/ and win32/PortNames.cpp).
//
// POSIX: with QVX_PORT_DIR set, COM n is the device at $QVX_PORT_DIR/COM<n> (usually a symlink to a
// pty or a real tty). Otherwise the machine's serial devices are numbered in the order /dev/ttyS*,
// /dev/ttyUSB*, /dev/ttyACM* (each family in numeric order, placeholder ttyS ports without
// hardware left out) as COM1, COM2, ...
//
// Windows: COM n is \\.\COM<n> (the form that also opens COM10 and above), and the ports there
// are the ones the serial drivers list under HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM.
// QVX_PORT_DIR is not used on Windows (under Wine the COM ports are Wine's dosdevices links).

#include <string>
#include <vector>

struct ComPortEntry {
    int number = 0;     // 1 means COM1
    std::string device; // path to open
};

// The device of COM n, or an empty text when there is none.
std::string ComDevicePath(int comNumber);

// Every COM port there is, in ascending number.
std::vector<ComPortEntry> ListComPorts();
