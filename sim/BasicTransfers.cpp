#include "sim/BasicTransfers.h"

#include "sim/Replies.h"

#include <limits>

namespace qvxsim {

namespace {

constexpr std::size_t kNameAt = 2;
constexpr std::size_t kNameSize = 17;
constexpr std::size_t kSendStartSize = 64;
constexpr std::size_t kGetStartSize = 32;
constexpr std::size_t kListStartSize = 8;
constexpr std::size_t kBlockRequestSize = 8;
constexpr std::size_t kRemoveSize = 32;

// Send start.
constexpr std::size_t kCountAt = 25;
constexpr std::size_t kBlockSizeAt = 27;
constexpr std::size_t kSizeAt = 29;
// Send block.
constexpr std::size_t kBlockDataAt = 8;
// Get start reply.
constexpr std::size_t kReplyCountAt = 24;
constexpr std::size_t kReplyBlockSizeAt = 26;
constexpr std::size_t kReplySizeAt = 28;
// List start reply.
constexpr std::size_t kReplyEntriesAt = 1;
constexpr std::size_t kReplyListCountAt = 3;
constexpr std::size_t kReplyListBlockAt = 5;
// Get block reply.
constexpr std::size_t kReplyDataAt = 8;
// List entry.
constexpr std::size_t kEntrySizeAt = 17;
constexpr std::size_t kEntryTimeAt = 21;

constexpr std::size_t kMaxBlocks = std::numeric_limits<std::uint16_t>::max();



} // namespace

Bytes ListOf(const FileStore& area)
{
    Bytes list;
    for (const StoredFile* file : area.Files()) {
        Bytes entry(kListEntrySize, 0);
        PutName(entry, 0, kNameSize, file->name);
        Put32(entry, kEntrySizeAt, static_cast<std::uint32_t>(file->bytes.size()));
        Put32(entry, kEntryTimeAt, file->time);
        list.insert(list.end(), entry.begin(), entry.end());
    }
    return list;
}

Bytes BasicTransfers::SendStart(SignState& state, std::span<const unsigned char> request, FileArea area)
{
    m_upload.reset();
    const unsigned char status = StartUpload(request, area);
    if (status == kStatusOk && m_upload->Complete())
        return ReplyTo(request, Finish(state)); // an empty item: nothing to wait for
    return ReplyTo(request, status);
}

unsigned char BasicTransfers::StartUpload(std::span<const unsigned char> request, FileArea area)
{
    const std::optional<std::string> name = RequiredName(request, kNameAt, kNameSize);
    if (request.size() != kSendStartSize || !name)
        return kStatusBadRequest;
    const unsigned char status = Upload::CheckStart(Get32(request, kSizeAt), Get16(request, kCountAt),
                                                    Get16(request, kBlockSizeAt), kMessageBlockSize, kMaxStoredFile);
    if (status != kStatusOk)
        return status;
    m_upload.emplace(*name, Get32(request, kSizeAt), kMessageBlockSize);
    m_uploadArea = area;
    return kStatusOk;
}

Bytes BasicTransfers::SendBlock(SignState& state, std::span<const unsigned char> request)
{
    return ReplyTo(request, FeedUpload(m_upload, request, 2, kBlockDataAt, [&] { return Finish(state); }));
}

unsigned char BasicTransfers::Finish(SignState& state)
{
    const std::string name = m_upload->Name();
    Bytes data = m_upload->TakeData();
    m_upload.reset();
    return state.Store(m_uploadArea, name, std::move(data)) ? kStatusOk : kStatusNoRoom;
}

Bytes BasicTransfers::GetStart(const SignState& state, std::span<const unsigned char> request, FileArea area,
                               unsigned extraBlocks)
{
    m_download.reset();
    const std::optional<std::string> name = RequiredName(request, kNameAt, kNameSize);
    if (request.size() != kGetStartSize || !name)
        return ReplyTo(request, kStatusBadRequest);
    const StoredFile* item = state.Area(area).Find(*name);
    if (!item)
        return ReplyTo(request, kStatusNotFound);
    if (BlocksFor(item->bytes.size(), kMessageBlockSize) + extraBlocks > kMaxBlocks)
        return ReplyTo(request, kStatusNoRoom);
    m_download.emplace(item->bytes, kMessageBlockSize, extraBlocks);

    Bytes reply = ReplyTo(request, kStatusOk);
    PutName(reply, kNameAt, kNameSize, item->name);
    Put16(reply, kReplyCountAt, m_download->Count());
    Put16(reply, kReplyBlockSizeAt, kMessageBlockSize);
    Put32(reply, kReplySizeAt, static_cast<std::uint32_t>(m_download->Size()));
    return reply;
}

Bytes BasicTransfers::ListStart(const SignState& state, std::span<const unsigned char> request, FileArea area,
                                unsigned extraBlocks)
{
    m_download.reset();
    if (request.size() != kListStartSize)
        return ReplyTo(request, kStatusBadRequest);
    const FileStore& items = state.Area(area);
    m_download.emplace(ListOf(items), kListBlockSize, extraBlocks);

    Bytes reply = ReplyTo(request, kStatusOk);
    Put16(reply, kReplyEntriesAt, static_cast<std::uint32_t>(items.Files().size()));
    Put16(reply, kReplyListCountAt, m_download->Count());
    Put16(reply, kReplyListBlockAt, kListBlockSize);
    return reply;
}

Bytes BasicTransfers::GetBlock(std::span<const unsigned char> request) const
{
    if (request.size() != kBlockRequestSize)
        return ReplyTo(request, kStatusBadRequest);
    const std::optional<Bytes> block = m_download ? m_download->Block(Get16(request, 2)) : std::nullopt;
    if (!block)
        return ReplyTo(request, kStatusOutOfSequence);
    Bytes reply = ReplyTo(request, kStatusOk);
    reply.resize(kReplyDataAt);
    reply.insert(reply.end(), block->begin(), block->end());
    return reply;
}

Bytes BasicTransfers::Remove(SignState& state, std::span<const unsigned char> request, FileArea area)
{
    const std::optional<std::string> name = RequiredName(request, kNameAt, kNameSize);
    if (request.size() != kRemoveSize || !name)
        return ReplyTo(request, kStatusBadRequest);
    return ReplyTo(request, state.Area(area).Remove(*name) ? kStatusOk : kStatusNotFound);
}

} // namespace qvxsim
