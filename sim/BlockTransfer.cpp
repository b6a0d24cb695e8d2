#include "sim/BlockTransfer.h"

#include "sim/Replies.h"

#include <algorithm>

namespace qvxsim {

unsigned char FeedUpload(std::optional<Upload>& upload, std::span<const unsigned char> request, std::size_t numberAt,
                         std::size_t dataAt, const std::function<unsigned char()>& finish)
{
    constexpr std::size_t kBlockFrameSize = 255;
    if (!upload)
        return kStatusOutOfSequence;
    const std::span<const unsigned char> field =
        request.size() == kBlockFrameSize ? request.subspan(dataAt) : std::span<const unsigned char>();
    unsigned char status = upload->Accept(Get16(request, numberAt), field);
    if (status == kStatusOk && upload->Complete())
        status = finish();
    if (status != kStatusOk)
        upload.reset(); // a refused block ends the transfer
    return status;
}

unsigned char Upload::CheckStart(std::uint32_t size, unsigned count, unsigned blockSize, std::size_t expectedBlockSize,
                                 std::size_t maxSize)
{
    if (size > maxSize)
        return kStatusNoRoom;
    if (blockSize != expectedBlockSize || count != BlocksFor(size, expectedBlockSize))
        return kStatusSizeMismatch;
    return kStatusOk;
}

Upload::Upload(std::string name, std::uint32_t size, std::size_t blockSize)
    : m_name(std::move(name)), m_size(size), m_blockSize(blockSize)
{
}

unsigned char Upload::Accept(unsigned number, std::span<const unsigned char> field)
{
    if (Complete() || number != m_next)
        return kStatusOutOfSequence;
    if (field.size() != m_blockSize)
        return kStatusBadRequest;
    const std::size_t length = std::min(m_blockSize, m_size - m_data.size());
    if (std::any_of(field.begin() + static_cast<long>(length), field.end(), [](unsigned char b) { return b != 0; }))
        return kStatusBadRequest;
    m_data.insert(m_data.end(), field.begin(), field.begin() + static_cast<long>(length));
    ++m_next;
    return kStatusOk;
}

Download::Download(Bytes data, std::size_t blockSize, unsigned extraBlocks)
    : m_data(std::move(data)), m_blockSize(blockSize),
      m_count(static_cast<unsigned>(BlocksFor(m_data.size(), blockSize)) + extraBlocks), m_overrun(extraBlocks > 0)
{
}

std::optional<Bytes> Download::Block(unsigned number) const
{
    if (number < 1 || number > m_count)
        return std::nullopt;
    const std::size_t from = std::min(static_cast<std::size_t>(number - 1) * m_blockSize, m_data.size());
    const std::size_t to = std::min(from + m_blockSize, m_data.size());
    Bytes block(m_data.begin() + static_cast<long>(from), m_data.begin() + static_cast<long>(to));
    if (m_overrun)
        block.resize(m_blockSize, kOverrunFill);
    return block;
}

} // namespace qvxsim
