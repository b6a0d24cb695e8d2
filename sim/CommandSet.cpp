#include "sim/CommandSet.h"

#include "sim/DisplayCommands.h"
#include "sim/Replies.h"

#include <algorithm>

namespace qvxsim {

namespace {

constexpr int kMaxOverrunBlocks = 16;

enum : unsigned char {
    // Extended codes.
    kSendFile = 1, kGetFile = 2, kRenameFile = 3, kDeleteFile = 4, kFileBlock = 5, kFileBlockRequest = 6,
    kSendCompressed = 20,
    // Basic codes.
    kBlock = 3, kBlockRequest = 4, kSendMessage = 5, kGetMessage = 8, kGetMessageList = 9, kRemoveMessage = 10,
    kSendSchedule = 11, kSendGraphic = 26, kGetGraphicList = 27, kRemoveGraphic = 30, kGetGraphic = 37,
};

bool IsUpload(CommandKey key)
{
    if (key.extended)
        return key.code == kSendFile || key.code == kSendCompressed || key.code == kFileBlock;
    return key.code == kBlock || key.code == kSendMessage || key.code == kSendSchedule || key.code == kSendGraphic;
}

bool IsGetStart(CommandKey key)
{
    if (key.extended)
        return key.code == kGetFile;
    return key.code == kGetMessage || key.code == kGetGraphic || key.code == kGetMessageList
        || key.code == kGetGraphicList;
}

} // namespace

CommandAnswer CommandSet::Execute(SignState& state, std::span<const unsigned char> request, bool injectable)
{
    const std::optional<CommandKey> key = KeyOf(request);
    if (!key)
        return {kTypeBadCommand, {}};
    if (!key->extended && key->code == 0)
        return {kTypeUnsupported, {}}; // its echo would read as "unsupported" anyway
    if (injectable) {
        if (const auto status = m_statuses.Take(*key, BlockNumberOf(*key, request))) {
            DropTransfer(*key);
            return {kTypeGoodReply, Reply(*key, request, *status)};
        }
    }
    return Dispatch(state, *key, request);
}

CommandAnswer CommandSet::Dispatch(SignState& state, CommandKey key, std::span<const unsigned char> request)
{
    if (key.extended && key.code == kSendCompressed && !state.Settings().compression) {
        m_files.DropUpload();
        return {kTypeUnsupported, {}};
    }
    Bytes data = key.extended ? Extended(state, key, request) : Basic(state, key, request);
    return {kTypeGoodReply, std::move(data), RebootsAfter(key, request)};
}

Bytes CommandSet::Extended(SignState& state, CommandKey key, std::span<const unsigned char> request)
{
    switch (key.code) {
    case kSendFile:
    case kSendCompressed:
        return m_files.SendStart(state, request, key.code == kSendCompressed);
    case kFileBlock:
        return m_files.SendBlock(state, request);
    case kGetFile:
        return m_files.GetStart(state, request, TakeOverrun());
    case kFileBlockRequest:
        return m_files.GetBlock(request);
    case kRenameFile:
        return FileTransfers::Rename(state, request);
    case kDeleteFile:
        return FileTransfers::Delete(state, request);
    default:
        return DisplayCommand(state, key, request);
    }
}

Bytes CommandSet::Basic(SignState& state, CommandKey key, std::span<const unsigned char> request)
{
    switch (key.code) {
    case kSendMessage:
        return m_basic.SendStart(state, request, FileArea::Messages);
    case kSendSchedule:
        return m_basic.SendStart(state, request, FileArea::Schedules);
    case kSendGraphic:
        return m_basic.SendStart(state, request, FileArea::Graphics);
    case kBlock:
        return m_basic.SendBlock(state, request);
    case kGetMessage:
        return m_basic.GetStart(state, request, FileArea::Messages, TakeOverrun());
    case kGetGraphic:
        return m_basic.GetStart(state, request, FileArea::Graphics, TakeOverrun());
    case kGetMessageList:
        return m_basic.ListStart(state, request, FileArea::Messages, TakeOverrun());
    case kGetGraphicList:
        return m_basic.ListStart(state, request, FileArea::Graphics, TakeOverrun());
    case kBlockRequest:
        return m_basic.GetBlock(request);
    case kRemoveMessage:
        return BasicTransfers::Remove(state, request, FileArea::Messages);
    case kRemoveGraphic:
        return BasicTransfers::Remove(state, request, FileArea::Graphics);
    default:
        return DisplayCommand(state, key, request);
    }
}

void CommandSet::DropTransfer(CommandKey key)
{
    // A refused start or block ends the transfer it belongs to.
    if (IsUpload(key))
        key.extended ? m_files.DropUpload() : m_basic.DropUpload();
    else if (IsGetStart(key))
        key.extended ? m_files.DropDownload() : m_basic.DropDownload();
}

void CommandSet::DropTransfers()
{
    m_files.DropUpload();
    m_files.DropDownload();
    m_basic.DropUpload();
    m_basic.DropDownload();
}

void CommandSet::AddGetOverrun(int count, int extraBlocks)
{
    m_overrunGets = count;
    m_overrunBlocks = static_cast<unsigned>(std::clamp(extraBlocks, 1, kMaxOverrunBlocks));
}

unsigned CommandSet::TakeOverrun()
{
    if (m_overrunGets == 0)
        return 0;
    if (m_overrunGets > 0)
        --m_overrunGets;
    return m_overrunBlocks;
}

void CommandSet::ClearFaults()
{
    m_statuses.Clear();
    m_overrunGets = 0;
}

} // namespace qvxsim
