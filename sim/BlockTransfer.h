#pragma once
// The two halves of a block-wise transfer as the controller sees them: an upload it assembles
// from numbered blocks, and a download it serves block by block.

#include "sim/Wire.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace qvxsim {

inline std::size_t BlocksFor(std::size_t size, std::size_t blockSize)
{
    return (size + blockSize - 1) / blockSize;
}

class Upload {
public:
    // Status for a start announcing `size` bytes in `count` blocks of `blockSize`, when the command
    // always uses `expectedBlockSize` and a file may hold at most `maxSize` bytes.
    static unsigned char CheckStart(std::uint32_t size, unsigned count, unsigned blockSize,
                                    std::size_t expectedBlockSize, std::size_t maxSize);

    Upload(std::string name, std::uint32_t size, std::size_t blockSize);

    // Block `number`: `field` is its whole data field, the bytes due followed by zeros.
    unsigned char Accept(unsigned number, std::span<const unsigned char> field);
    bool Complete() const { return m_data.size() == m_size; }
    const std::string& Name() const { return m_name; }
    Bytes TakeData() { return std::move(m_data); }

private:
    std::string m_name;
    std::size_t m_size;
    std::size_t m_blockSize;
    unsigned m_next = 1;
    Bytes m_data;
};

// One data block of an open upload, as both kinds of send carry it: the block number at numberAt and
// the data field from dataAt to the end of a full 255-byte request. A completed upload goes to
// finish; a refused block (or a failed finish) ends the upload. The status for the reply.
unsigned char FeedUpload(std::optional<Upload>& upload, std::span<const unsigned char> request, std::size_t numberAt,
                         std::size_t dataAt, const std::function<unsigned char()>& finish);

class Download {
public:
    static constexpr unsigned char kOverrunFill = 0xEE;

    // extraBlocks > 0: announces that many blocks more than the data needs and serves full
    // blocks, filled past the data's end.
    Download(Bytes data, std::size_t blockSize, unsigned extraBlocks = 0);

    unsigned Count() const { return m_count; }
    std::size_t Size() const { return m_data.size(); }
    std::size_t BlockSize() const { return m_blockSize; }
    // Data of block 1..Count(); nullopt for any other number.
    std::optional<Bytes> Block(unsigned number) const;

private:
    Bytes m_data;
    std::size_t m_blockSize;
    unsigned m_count;
    bool m_overrun;
};

} // namespace qvxsim
