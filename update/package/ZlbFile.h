#pragma once
// A firmware package (.zlb): one image, zlib-compressed, behind a small header. The stream is
// made as small as the build can (base/Deflate.h) and sent to controllers as it stands.
//
//   offset 0   u32 LE  uncompressed size of the image
//   offset 4   u32 LE  stored length = zlib stream size + 16
//   offset 8   name of the image, ASCII, zero-terminated (e.g. "FX40211.EXE")
//   then       stored-length bytes: the zlib stream (RFC 1950) of the whole image, then 16 zeros
//
// Used by the tool, by the qvx-zlb command and at build time to make the embedded packages.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CZlbFile {
public:
    // Results of the operations.
    static constexpr int kOk = 0;
    static constexpr int kNoMemory = 1;
    static constexpr int kOpenFailed = 2; // a file could not be opened or written, or is not named .zlb
    static constexpr int kReadFailed = 3; // the source of a pack could not be read whole
    static constexpr int kDamaged = 4;    // the package is damaged or unsafe to unpack; GetFault tells why

    static constexpr std::size_t kHeaderSize = 8;
    static constexpr std::size_t kPaddingSize = 16;

    // Reads a package held in memory: kOk, kNoMemory or kDamaged. A package is damaged when its
    // header, name or stored bytes run past the block, its zlib stream is broken or does not end
    // within the stored bytes, or it does not inflate to exactly the size its header gives (at
    // most 64 MiB, refused before anything is allocated). On failure data stays empty, and the
    // header fields hold what could be read of them, for diagnosis.
    int LoadFromMemory(std::span<const unsigned char> block);
    // Packs the file at path into <name up to its last '.'>.zlb in the same folder, the header
    // naming the file: kOk, kNoMemory, kOpenFailed, kReadFailed. The package is written under a
    // temporary name and renamed into place, so a failure leaves no partial .zlb.
    int Pack(const std::string& path);
    // Unpacks a file whose name ends in ".zlb" (exactly) into a file named by its header, in the
    // same folder: kOk, kNoMemory, kOpenFailed, kDamaged. A header name that is not a plain file
    // name counts as damaged, so a package can never write outside its folder.
    int Unpack(const std::string& path);

    std::uint32_t GetUncompressedSize() const { return m_uncompressedSize; }
    std::uint32_t GetStoredLength() const { return m_storedLength; }
    const std::string& GetName() const { return m_name; }
    // The image after a load or unpack; the zlib stream after a pack.
    std::span<const unsigned char> GetData() const { return m_data; }
    // How many bytes of the stored region the zlib stream took (after a successful load).
    std::size_t GetStreamLength() const { return m_streamLength; }
    // The zlib stream itself: after a load, inside the block loaded (valid as long as it is); after
    // a pack, the stream written. Empty after an unpack or a failure.
    std::span<const unsigned char> GetStream() const { return m_stream; }
    // Why the last operation failed; empty after a success.
    const std::string& GetFault() const { return m_fault; }
    // The file the last pack or unpack wrote.
    const std::string& GetPath() const { return m_path; }

private:
    void Clear();
    int Fail(int code, std::string reason);
    int Inflate(std::span<const unsigned char> stored);

    std::uint32_t m_uncompressedSize = 0;
    std::uint32_t m_storedLength = 0;
    std::string m_name;
    std::vector<unsigned char> m_data;
    std::string m_path;
    std::span<const unsigned char> m_stream;
    std::size_t m_streamLength = 0;
    std::string m_fault;
};

// The package name for a file: its name up to the last '.', then ".zlb", in the same folder.
std::string ZlbPathFor(const std::string& path);
// True when name is a plain file name a package may write: no folder parts, not "." or "..".
bool IsPlainFileName(const std::string& name);
