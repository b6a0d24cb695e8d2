#include "link/S22Transfer.h"

#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kListEntrySize = 32;
// A reply frame carries at most 255 data bytes.
constexpr std::size_t kMaxReplyData = 255;

S22Request CommandOf(unsigned char address, const CS22CommandBuffer& buffer)
{
    return S22Request::Command(address, buffer.Data(), buffer.Length());
}

S22Result StatusOf(const CS22NetPacket& reply, std::size_t offset)
{
    return reply.Data()[offset] != 0 ? ERR_SIGN_RESPONSE_ERROR : S22NET_OK;
}

CS22CommandBuffer BlockFrame(const S22BlockLayout& layout, unsigned short number)
{
    CS22CommandBuffer block = layout.extended ? CS22CommandBuffer::Extended(layout.blockCode, layout.requestSize)
                                              : CS22CommandBuffer::Basic(layout.blockCode, layout.requestSize);
    block.PutWord(layout.numberOffset, number);
    return block;
}

} // namespace

S22BlockLayout S22FileBlocks() { return {true, 5, 255, 3, 9, 246, 2}; }
S22BlockLayout S22FileRequests() { return {true, 6, 16, 3, 8, 246, 2}; }
S22BlockLayout S22MessageBlocks() { return {false, 3, 255, 2, 8, 247, 1}; }
S22BlockLayout S22MessageRequests() { return {false, 4, 8, 2, 8, 247, 1}; }

S22GetAnnouncement S22FileAnnouncement() { return {152, 124, 116, 118, 120, false, false}; }
S22GetAnnouncement S22MessageAnnouncement() { return {64, 32, 24, 26, 28, false, false}; }
S22GetAnnouncement S22ListAnnouncement() { return {16, 7, 3, 5, 1, true, true}; }

long S22BlockCount(unsigned long size, std::size_t blockSize)
{
    const unsigned long count = size / blockSize + (size % blockSize != 0 ? 1 : 0);
    return count > 65535 ? -1 : static_cast<long>(count);
}

void S22CopyReply(const CS22NetPacket& reply, void* record, std::size_t count)
{
    if (record == nullptr || count == 0)
        return;
    std::memset(record, 0, count);
    std::memcpy(record, reply.Data(), std::min<std::size_t>(count, reply.Length()));
}

S22Result S22SendBlocks(IS22Exchanger& exchanger, IS22TransferSink& sink, unsigned char address,
                        const CS22CommandBuffer& start, void* record, std::size_t recordSize,
                        std::size_t startStatusOffset, const S22BlockLayout& layout, const unsigned char* data,
                        unsigned long size)
{
    const long count = S22BlockCount(size, layout.blockSize);
    if (count < 0 || (size > 0 && data == nullptr))
        return ERR_COMMAND_BAD_ARGUMENT;
    const auto total = static_cast<unsigned short>(std::min<long>(count + 1, 65535));
    unsigned short done = 0;
    sink.TransferBegins(total);

    S22Result result = exchanger.ExchangeCommand(CommandOf(address, start));
    if (result == S22NET_OK) {
        S22CopyReply(exchanger.LastReply(), record, recordSize);
        result = StatusOf(exchanger.LastReply(), startStatusOffset);
    }
    sink.StartFrameDone(++done, total);

    for (long k = 1; result == S22NET_OK && k <= count; ++k) {
        const unsigned long offset = static_cast<unsigned long>(k - 1) * layout.blockSize;
        const std::size_t length = std::min<unsigned long>(layout.blockSize, size - offset);
        CS22CommandBuffer block = BlockFrame(layout, static_cast<unsigned short>(k));
        block.PutBytes(layout.dataOffset, data + offset, length);
        result = exchanger.ExchangeCommand(CommandOf(address, block));
        if (result == S22NET_OK)
            result = StatusOf(exchanger.LastReply(), layout.statusOffset);
        sink.BlockDone(++done, total);
    }
    return result;
}

namespace {

struct Announced {
    unsigned long count = 0;
    unsigned long blockSize = 0;
    unsigned long total = 0;
};

Announced ReadAnnouncement(const CS22NetPacket& reply, const S22GetAnnouncement& a)
{
    const unsigned char* data = reply.Data();
    Announced announced;
    announced.count = S22ReadWord(data + a.countOffset);
    announced.blockSize = S22ReadWord(data + a.blockSizeOffset);
    if (a.totalIsEntries)
        announced.total = static_cast<unsigned long>(S22ReadWord(data + a.totalOffset)) * kListEntrySize;
    else
        announced.total = a.totalIs16Bit ? S22ReadWord(data + a.totalOffset) : S22ReadDword(data + a.totalOffset);
    return announced;
}

// The blocks announced must be able to carry the announced size: anything else would leave part
// of the buffer unfilled and hand back a damaged file as if it were whole.
bool IsConsistent(const Announced& a, const S22BlockLayout& layout)
{
    if (a.blockSize == 0 || a.blockSize > kMaxReplyData - layout.dataOffset)
        return false;
    return a.total <= a.count * a.blockSize;
}

S22Result GetOneBlock(IS22Exchanger& exchanger, unsigned char address, const S22BlockLayout& layout,
                      unsigned short number, std::size_t keep, std::vector<unsigned char>& buffer, std::size_t& kept)
{
    const S22Result result = exchanger.ExchangeCommand(CommandOf(address, BlockFrame(layout, number)));
    const CS22NetPacket& reply = exchanger.LastReply();
    // What the reply really carries bounds the copy; the remaining size bounds it too.
    const std::size_t carried = reply.Length() > layout.dataOffset ? reply.Length() - layout.dataOffset : 0;
    const std::size_t copy = std::min({keep, carried, buffer.size() - kept});
    std::memcpy(buffer.data() + kept, reply.Data() + layout.dataOffset, copy);
    kept += copy;
    if (result != S22NET_OK)
        return result;
    if (reply.Data()[layout.statusOffset] != 0)
        return ERR_SIGN_RESPONSE_ERROR;
    return copy < keep ? ERR_SIGN_INVALID_RESPONSE : S22NET_OK;
}

} // namespace

S22Result S22GetBlocks(IS22Exchanger& exchanger, IS22TransferSink& sink, unsigned char address,
                       const CS22CommandBuffer& start, void* record, const S22GetAnnouncement& announcement,
                       const S22BlockLayout& layout, std::vector<unsigned char>& buffer)
{
    buffer.clear();
    buffer.shrink_to_fit();
    S22Result result = exchanger.ExchangeCommand(CommandOf(address, start));
    if (result != S22NET_OK)
        return result;
    const CS22NetPacket& startReply = exchanger.LastReply();
    S22CopyReply(startReply, record, announcement.recordSize);
    if (startReply.Data()[announcement.statusOffset] != 0)
        return ERR_SIGN_RESPONSE_ERROR;
    const Announced announced = ReadAnnouncement(startReply, announcement);
    if (announced.total == 0)
        return S22NET_OK;
    if (!IsConsistent(announced, layout))
        return ERR_SIGN_INVALID_RESPONSE;

    buffer.assign(announced.total, 0);
    const auto total = static_cast<unsigned short>(announced.count);
    sink.TransferBegins(total);
    std::size_t kept = 0;
    for (unsigned long k = 1; result == S22NET_OK && k <= announced.count; ++k) {
        if (exchanger.IsAbortRequested()) {
            result = ERR_SIGN_ABORT;
            break;
        }
        const std::size_t keep = k == announced.count ? buffer.size() - kept
                                                      : std::min<std::size_t>(announced.blockSize, buffer.size() - kept);
        result = GetOneBlock(exchanger, address, layout, static_cast<unsigned short>(k), keep, buffer, kept);
        sink.BlockDone(static_cast<unsigned short>(k), total);
    }
    if (result == S22NET_OK && kept != buffer.size())
        result = ERR_SIGN_INVALID_RESPONSE;
    if (result != S22NET_OK) {
        buffer.clear();
        buffer.shrink_to_fit();
    }
    return result;
}
