#pragma once
// The display actions of the "Sable 2200 Actions" and "System" pages without their window: test
// patterns, reset, memory cleanup and the clock. Each runs as one job through the core, behind
// the progress window, with its progress text and result lines.

#include <cstdint>
#include <string>
#include <vector>

class CInstallerCore;

class CDisplayActions {
public:
    // The pattern list: its position is the pattern number sent to the controller.
    static const std::vector<std::string>& TestPatternNames();

    explicit CDisplayActions(CInstallerCore& core) : m_core(core) {}

    // Each returns the exchange's result (S22NET_OK when the controller accepted the command,
    // ERR_SIGN_ABORT after the progress window's Abort).
    short StartTestPattern(int address, int pattern);
    short StopTestPattern(int address);
    // The page's question before a memory cleanup; nothing is sent on no.
    bool ConfirmMemoryCleanup();
    // Ends with the connection closed and the memory-check message box, whatever the result.
    short MemoryCleanup(int address);
    // Ends with the connection closed. The lines do not depend on the answer: a controller may
    // restart before its answer is out; the caller can still tell from the result.
    short ResetDisplay(int address);
    // secondsSince1970: the computer's clock when the operator asked.
    short SetTimeDate(int address, std::uint32_t secondsSince1970);

    // The Disconnect button: the link closed, the controls back to "not connected", one line.
    void DisconnectDisplay();

private:
    // One job: progress text, the display-mode exchange, and its result.
    short DisplayModeJob(const char* progress, int address, int value, int mode);

    CInstallerCore& m_core;
};
