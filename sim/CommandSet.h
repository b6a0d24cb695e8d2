#pragma once
// A controller's type-0 commands: injected statuses first, then the command itself, giving the
// reply frame's type and data.

#include "sim/BasicTransfers.h"
#include "sim/FileTransfers.h"
#include "sim/Frame.h"
#include "sim/SignState.h"
#include "sim/StatusInjector.h"

#include <span>

namespace qvxsim {

struct CommandAnswer {
    unsigned char type = kTypeGoodReply;
    Bytes data;
    bool reboot = false; // a reset-display or memory cleanup: the controller reboots once it has answered
};

class CommandSet {
public:
    // injectable: false for broadcasts, which nobody answers and faults do not touch.
    CommandAnswer Execute(SignState& state, std::span<const unsigned char> request, bool injectable);

    void AddStatus(const StatusFault& fault) { m_statuses.Add(fault); }
    void AddGetOverrun(int count, int extraBlocks);
    void ClearFaults();
    void SetRefuseDirectory(bool on) { m_files.SetRefuseDirectory(on); }
    // A reboot forgets every transfer under way.
    void DropTransfers();

private:
    CommandAnswer Dispatch(SignState& state, CommandKey key, std::span<const unsigned char> request);
    Bytes Extended(SignState& state, CommandKey key, std::span<const unsigned char> request);
    Bytes Basic(SignState& state, CommandKey key, std::span<const unsigned char> request);
    void DropTransfer(CommandKey key);
    unsigned TakeOverrun();

    StatusInjector m_statuses;
    int m_overrunGets = 0; // -1: every get
    unsigned m_overrunBlocks = 1;
    FileTransfers m_files;
    BasicTransfers m_basic;
};

} // namespace qvxsim
