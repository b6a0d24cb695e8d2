#pragma once
// A command request under construction: a zero-filled buffer of the command's fixed size, with
// little-endian field writers. Unused bytes go out as 0.

#include <cstddef>
#include <cstdint>
#include <string_view>

// Name fields and the longest name each holds (one byte stays for the terminating zero).
constexpr std::size_t S22_BASIC_NAME_FIELD = 17;
constexpr std::size_t S22_EXTENDED_NAME_FIELD = 110;

class CS22CommandBuffer {
public:
    static constexpr std::size_t kMaxSize = 255;

    // A basic command: byte 0 is the code.
    static CS22CommandBuffer Basic(unsigned char code, std::size_t size);
    // An extended command: 0x80, then the code.
    static CS22CommandBuffer Extended(unsigned char code, std::size_t size);
    // A caller's own request bytes (invalid when empty or longer than a frame holds).
    static CS22CommandBuffer Raw(const void* bytes, std::size_t size);

    void PutByte(std::size_t offset, unsigned char value);
    void PutWord(std::size_t offset, std::uint16_t value);
    void PutDword(std::size_t offset, std::uint32_t value);
    void PutBytes(std::size_t offset, const void* bytes, std::size_t count);
    // Copies a 0-terminated name into a field; a null name leaves the field zero. False (and the
    // request is marked bad) when the name does not fit with its terminator: never send a cut name.
    bool PutName(std::size_t offset, std::size_t field, const char* name);
    // Copies at most field - 1 characters of the name, cutting it.
    void PutCutName(std::size_t offset, std::size_t field, std::size_t keep, const char* name);

    // False when a field did not fit; such a request must not be sent.
    bool IsValid() const { return m_bValid; }
    const unsigned char* Data() const { return m_abData; }
    unsigned char Length() const { return static_cast<unsigned char>(m_nSize); }

private:
    explicit CS22CommandBuffer(std::size_t size);
    bool Fits(std::size_t offset, std::size_t count);

    unsigned char m_abData[kMaxSize] = {};
    std::size_t m_nSize = 0;
    bool m_bValid = true;
};

// Little-endian reads from a reply's data.
std::uint16_t S22ReadWord(const unsigned char* bytes);
std::uint32_t S22ReadDword(const unsigned char* bytes);
