#pragma once
// The extended file commands: send (plain and compressed) and get block by block, rename and
// delete, on the controller's file area. Names are kept as sent, in upper case, folders and all
// ("HTCH\16X16N.CFF"); a received CONFIG.XML waits for the next start (SignState::Receive).

#include "sim/BlockTransfer.h"
#include "sim/SignState.h"

#include <optional>
#include <span>

namespace qvxsim {

inline constexpr std::size_t kFileBlockSize = 246;

class FileTransfers {
public:
    // Each gives the reply data; a refusal carries its status in the command's status byte.
    Bytes SendStart(SignState& state, std::span<const unsigned char> request, bool compressed);
    Bytes SendBlock(SignState& state, std::span<const unsigned char> request);
    // extraBlocks: see Download.
    Bytes GetStart(SignState& state, std::span<const unsigned char> request, unsigned extraBlocks);
    Bytes GetBlock(std::span<const unsigned char> request) const;
    static Bytes Rename(SignState& state, std::span<const unsigned char> request);
    static Bytes Delete(SignState& state, std::span<const unsigned char> request);

    void DropUpload() { m_upload.reset(); }
    void DropDownload() { m_download.reset(); }
    // On: a get of DIRECTORY.XML is answered as one of a missing file.
    void SetRefuseDirectory(bool on) { m_refuseDirectory = on; }

private:
    unsigned char StartUpload(std::span<const unsigned char> request, bool compressed);
    unsigned char Finish(SignState& state);

    std::optional<Upload> m_upload;
    std::optional<std::uint32_t> m_inflatedSize; // compressed uploads only
    std::optional<Download> m_download;
    bool m_refuseDirectory = false;
};

} // namespace qvxsim
