#pragma once
// The basic transfers: messages, schedules and graphics sent in 247-byte blocks, fetched back
// the same way, the message and graphic lists, and removing messages and graphics.

#include "sim/BlockTransfer.h"
#include "sim/SignState.h"

#include <optional>
#include <span>

namespace qvxsim {

inline constexpr std::size_t kMessageBlockSize = 247;
inline constexpr std::size_t kListEntrySize = 32;
inline constexpr std::size_t kListBlockSize = 7 * kListEntrySize; // whole entries only

class BasicTransfers {
public:
    // Each gives the reply data; a refusal carries its status in the command's status byte.
    Bytes SendStart(SignState& state, std::span<const unsigned char> request, FileArea area);
    Bytes SendBlock(SignState& state, std::span<const unsigned char> request);
    // extraBlocks: see Download.
    Bytes GetStart(const SignState& state, std::span<const unsigned char> request, FileArea area,
                   unsigned extraBlocks);
    Bytes ListStart(const SignState& state, std::span<const unsigned char> request, FileArea area,
                    unsigned extraBlocks);
    Bytes GetBlock(std::span<const unsigned char> request) const;
    static Bytes Remove(SignState& state, std::span<const unsigned char> request, FileArea area);

    void DropUpload() { m_upload.reset(); }
    void DropDownload() { m_download.reset(); }

private:
    unsigned char StartUpload(std::span<const unsigned char> request, FileArea area);
    unsigned char Finish(SignState& state);

    std::optional<Upload> m_upload;
    FileArea m_uploadArea = FileArea::Messages;
    std::optional<Download> m_download;
};

// The list as GetMessageList and GetGraphicList deliver it: per stored item (in name order) the
// name in bytes 0-16, its size in 17-20 and the time it was stored in 21-24.
Bytes ListOf(const FileStore& area);

} // namespace qvxsim
