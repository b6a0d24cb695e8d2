#pragma once
// The host's half of the command set, written out by field offset for the tests: request
// layouts, one exchange of a type-0 frame, and whole transfers built from them.

#include "HostPort.h"

#include <cstdint>
#include <optional>
#include <string>

namespace simtest {

inline constexpr std::size_t kFileBlock = 246;
inline constexpr std::size_t kMessageBlock = 247;

// Extended requests (0x80 code ...).
Bytes SendFileStart(const std::string& name, std::uint32_t size, std::uint16_t count, std::uint16_t blockSize = 246);
Bytes SendFileStart(const std::string& name, const Bytes& data);
Bytes CompressedStart(const std::string& name, const Bytes& compressed, std::uint32_t inflatedSize);
Bytes FileBlock(std::uint16_t number, const Bytes& data); // block `number` of data
Bytes GetFileStart(const std::string& name);
Bytes FileBlockRequest(std::uint16_t number);
Bytes DeleteFile(const std::string& name);
Bytes RenameFile(const std::string& from, const std::string& to);
// Basic requests.
Bytes BasicSendStart(unsigned char code, const std::string& name, const Bytes& data);
Bytes BasicBlock(std::uint16_t number, const Bytes& data);
Bytes BasicGetStart(unsigned char code, const std::string& name);
Bytes BasicList(unsigned char code);
Bytes BasicBlockRequest(std::uint16_t number);

std::uint16_t Le16(const Bytes& data, std::size_t at);
std::uint32_t Le32(const Bytes& data, std::size_t at);
Bytes Text(const std::string& text);
Bytes Pattern(std::size_t size, unsigned seed = 1); // bytes that are neither all zero nor periodic at 246/247
Bytes Compress(const Bytes& data);                   // one zlib stream

struct RawReply {
    bool ok = false;        // a complete frame with both checksums right
    unsigned char type = 0; // low nibble of the control byte
    Bytes frame;            // as read
    Bytes data;
};

class RawHost {
public:
    explicit RawHost(HostPort& port) : m_port(port) {}

    // One type-0 frame with the next sequence number, and its reply.
    RawReply Exchange(unsigned char address, const Bytes& request);
    // The same frame again, as a host retries after a lost reply.
    RawReply Repeat(unsigned char address, const Bytes& request);
    unsigned char LastSequence() const { return m_sequence; }

    // Whole transfers. They stop at the first reply with a status and give that status (0xFF
    // for a missing or malformed reply).
    unsigned char SendFile(unsigned char address, const std::string& name, const Bytes& data);
    unsigned char SendCompressed(unsigned char address, const std::string& name, const Bytes& data);
    std::optional<Bytes> GetFile(unsigned char address, const std::string& name, unsigned char* status = nullptr);
    unsigned char SendBasic(unsigned char address, unsigned char code, const std::string& name, const Bytes& data);
    // A get (code 8 or 37 with a name) or a list (code 9 or 27, name ignored).
    std::optional<Bytes> GetBasic(unsigned char address, unsigned char code, const std::string& name,
                                  unsigned char* status = nullptr);

private:
    RawReply Send(unsigned char address, unsigned char sequence, const Bytes& request);
    unsigned char SendBlocks(unsigned char address, const Bytes& start, const Bytes& data);

    HostPort& m_port;
    unsigned char m_sequence = 0;
};

} // namespace simtest
