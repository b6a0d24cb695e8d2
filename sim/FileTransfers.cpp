#include "sim/FileTransfers.h"

#include "sim/Inflate.h"
#include "sim/Replies.h"

#include <limits>

namespace qvxsim {

namespace {

constexpr std::size_t kNameAt = 3;
constexpr std::size_t kNameSize = 110;
constexpr std::size_t kSendStartSize = 136;
constexpr std::size_t kGetStartSize = 120;
constexpr std::size_t kBlockRequestSize = 16;
constexpr std::size_t kRenameSize = 232;
constexpr std::size_t kDeleteSize = 120;

// Send start, after the name.
constexpr std::size_t kCountAt = 117;
constexpr std::size_t kBlockSizeAt = 119;
constexpr std::size_t kSizeAt = 121;
constexpr std::size_t kInflatedSizeAt = 125;
// Send block.
constexpr std::size_t kBlockDataAt = 9;
// Get start reply.
constexpr std::size_t kReplyCountAt = 116;
constexpr std::size_t kReplyBlockSizeAt = 118;
constexpr std::size_t kReplySizeAt = 120;
constexpr std::size_t kReplyTimeAt = 125;
// Get block reply.
constexpr std::size_t kReplyDataAt = 8;

// A get announces its block count in 16 bits (sends are held to that by their own count).
constexpr std::size_t kMaxBlocks = std::numeric_limits<std::uint16_t>::max();

} // namespace

Bytes FileTransfers::SendStart(SignState& state, std::span<const unsigned char> request, bool compressed)
{
    m_upload.reset();
    const unsigned char status = StartUpload(request, compressed);
    if (status == kStatusOk && m_upload->Complete())
        return ReplyTo(request, Finish(state)); // nothing to wait for: an empty file
    return ReplyTo(request, status);
}

unsigned char FileTransfers::StartUpload(std::span<const unsigned char> request, bool compressed)
{
    const std::optional<std::string> name = RequiredName(request, kNameAt, kNameSize);
    if (request.size() != kSendStartSize || !name)
        return kStatusBadRequest;
    const std::uint32_t size = Get32(request, kSizeAt);
    const std::uint32_t inflated = Get32(request, kInflatedSizeAt);
    if (compressed && inflated > kMaxStoredFile)
        return kStatusNoRoom;
    const unsigned char status = Upload::CheckStart(size, Get16(request, kCountAt), Get16(request, kBlockSizeAt),
                                                    kFileBlockSize, kMaxStoredFile);
    if (status != kStatusOk)
        return status;
    m_upload.emplace(*name, size, kFileBlockSize);
    m_inflatedSize = compressed ? std::optional(inflated) : std::nullopt;
    return kStatusOk;
}

Bytes FileTransfers::SendBlock(SignState& state, std::span<const unsigned char> request)
{
    return ReplyTo(request, FeedUpload(m_upload, request, 3, kBlockDataAt, [&] { return Finish(state); }));
}

unsigned char FileTransfers::Finish(SignState& state)
{
    const std::string name = m_upload->Name();
    Bytes data = m_upload->TakeData();
    m_upload.reset();
    if (m_inflatedSize) {
        std::optional<Bytes> inflated = Inflate(data, *m_inflatedSize);
        // A sender may also use the compressed start for bytes it did not compress: those come
        // with both sizes equal and are taken as they are.
        if (!inflated && data.size() != *m_inflatedSize)
            return kStatusBadData;
        if (inflated)
            data = std::move(*inflated);
    }
    return state.Receive(name, std::move(data)) ? kStatusOk : kStatusNoRoom;
}

Bytes FileTransfers::GetStart(SignState& state, std::span<const unsigned char> request, unsigned extraBlocks)
{
    m_download.reset();
    const std::optional<std::string> name = RequiredName(request, kNameAt, kNameSize);
    if (request.size() != kGetStartSize || !name)
        return ReplyTo(request, kStatusBadRequest);
    if (m_refuseDirectory && UpperCase(*name) == kDirectoryFile)
        return ReplyTo(request, kStatusNotFound);
    std::optional<Bytes> data = state.Read(FileArea::Files, *name);
    if (!data)
        return ReplyTo(request, kStatusNotFound);
    if (BlocksFor(data->size(), kFileBlockSize) + extraBlocks > kMaxBlocks)
        return ReplyTo(request, kStatusNoRoom);
    const StoredFile* stored = state.Area(FileArea::Files).Find(*name);
    const std::uint32_t time = stored ? stored->time : state.Clock().Now();
    m_download.emplace(std::move(*data), kFileBlockSize, extraBlocks);

    Bytes reply = ReplyTo(request, kStatusOk);
    PutName(reply, kNameAt, kNameSize, UpperCase(*name));
    Put16(reply, kReplyCountAt, m_download->Count());
    Put16(reply, kReplyBlockSizeAt, kFileBlockSize);
    Put32(reply, kReplySizeAt, static_cast<std::uint32_t>(m_download->Size()));
    Put32(reply, kReplyTimeAt, time);
    return reply;
}

Bytes FileTransfers::GetBlock(std::span<const unsigned char> request) const
{
    if (request.size() != kBlockRequestSize)
        return ReplyTo(request, kStatusBadRequest);
    const std::optional<Bytes> block = m_download ? m_download->Block(Get16(request, 3)) : std::nullopt;
    if (!block)
        return ReplyTo(request, kStatusOutOfSequence);
    Bytes reply = ReplyTo(request, kStatusOk);
    reply.resize(kReplyDataAt);
    reply.insert(reply.end(), block->begin(), block->end());
    return reply;
}

Bytes FileTransfers::Rename(SignState& state, std::span<const unsigned char> request)
{
    const std::optional<std::string> from = RequiredName(request, kNameAt, kNameSize);
    const std::optional<std::string> to = RequiredName(request, kNameAt + kNameSize, kNameSize);
    if (request.size() != kRenameSize || !from || !to)
        return ReplyTo(request, kStatusBadRequest);
    return ReplyTo(request, state.Area(FileArea::Files).Rename(*from, *to) ? kStatusOk : kStatusNotFound);
}

Bytes FileTransfers::Delete(SignState& state, std::span<const unsigned char> request)
{
    const std::optional<std::string> name = RequiredName(request, kNameAt, kNameSize);
    if (request.size() != kDeleteSize || !name)
        return ReplyTo(request, kStatusBadRequest);
    return ReplyTo(request, state.Remove(FileArea::Files, *name) ? kStatusOk : kStatusNotFound);
}

} // namespace qvxsim
