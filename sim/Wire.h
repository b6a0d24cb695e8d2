#pragma once
// Little-endian fields and 0-terminated name fields inside command and reply data. Reads past the
// end of the data give 0, as the zero-filled request buffers of the host would.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qvxsim {

using Bytes = std::vector<unsigned char>;

inline unsigned ByteAt(std::span<const unsigned char> data, std::size_t at)
{
    return at < data.size() ? data[at] : 0u;
}

inline std::uint16_t Get16(std::span<const unsigned char> data, std::size_t at)
{
    return static_cast<std::uint16_t>(ByteAt(data, at) | ByteAt(data, at + 1) << 8);
}

inline std::uint32_t Get32(std::span<const unsigned char> data, std::size_t at)
{
    return static_cast<std::uint32_t>(Get16(data, at)) | static_cast<std::uint32_t>(Get16(data, at + 2)) << 16;
}

// The writers grow nothing: the reply is sized first, and a field past its end is a bug.
inline void Put16(Bytes& data, std::size_t at, std::uint32_t value)
{
    data.at(at) = static_cast<unsigned char>(value);
    data.at(at + 1) = static_cast<unsigned char>(value >> 8);
}

inline void Put32(Bytes& data, std::size_t at, std::uint32_t value)
{
    Put16(data, at, value);
    Put16(data, at + 2, value >> 16);
}

// A name field of `size` bytes at `at`: the text up to its first 0.
struct NameField {
    std::string text;
    bool terminated = false; // a 0 ends the text inside the field (a name that fills it is refused)
};

NameField GetName(std::span<const unsigned char> data, std::size_t at, std::size_t size);
// The name in a field where one is required: nullopt when it is empty or fills the field.
std::optional<std::string> RequiredName(std::span<const unsigned char> data, std::size_t at, std::size_t size);

// Copies at most size - 1 characters and leaves the rest of the field 0.
void PutName(Bytes& data, std::size_t at, std::size_t size, const std::string& name);

} // namespace qvxsim
