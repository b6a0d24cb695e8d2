#include "link/S22CommandBuffer.h"

#include "link/S22NetPacket.h"

#include <cstring>

CS22CommandBuffer::CS22CommandBuffer(std::size_t size) : m_nSize(size > kMaxSize ? kMaxSize : size)
{
    m_bValid = size > 0 && size <= kMaxSize;
}

CS22CommandBuffer CS22CommandBuffer::Basic(unsigned char code, std::size_t size)
{
    CS22CommandBuffer buffer(size);
    buffer.PutByte(0, code);
    return buffer;
}

CS22CommandBuffer CS22CommandBuffer::Extended(unsigned char code, std::size_t size)
{
    CS22CommandBuffer buffer(size);
    buffer.PutByte(0, S22_EXTENDED_COMMAND);
    buffer.PutByte(1, code);
    return buffer;
}

CS22CommandBuffer CS22CommandBuffer::Raw(const void* bytes, std::size_t size)
{
    CS22CommandBuffer buffer(size);
    if (bytes == nullptr)
        buffer.m_bValid = false;
    else
        buffer.PutBytes(0, bytes, buffer.m_nSize);
    return buffer;
}

bool CS22CommandBuffer::Fits(std::size_t offset, std::size_t count)
{
    if (offset > m_nSize || count > m_nSize - offset) {
        m_bValid = false;
        return false;
    }
    return true;
}

void CS22CommandBuffer::PutByte(std::size_t offset, unsigned char value)
{
    if (Fits(offset, 1))
        m_abData[offset] = value;
}

void CS22CommandBuffer::PutWord(std::size_t offset, std::uint16_t value)
{
    if (!Fits(offset, 2))
        return;
    m_abData[offset] = static_cast<unsigned char>(value & 0xFF);
    m_abData[offset + 1] = static_cast<unsigned char>(value >> 8);
}

void CS22CommandBuffer::PutDword(std::size_t offset, std::uint32_t value)
{
    if (!Fits(offset, 4))
        return;
    for (std::size_t i = 0; i < 4; ++i)
        m_abData[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

void CS22CommandBuffer::PutBytes(std::size_t offset, const void* bytes, std::size_t count)
{
    if (bytes != nullptr && Fits(offset, count))
        std::memcpy(m_abData + offset, bytes, count);
}

bool CS22CommandBuffer::PutName(std::size_t offset, std::size_t field, const char* name)
{
    if (!Fits(offset, field))
        return false;
    if (name == nullptr)
        return true;
    const std::size_t length = ::strnlen(name, field);
    if (length >= field) {
        m_bValid = false;
        return false;
    }
    std::memcpy(m_abData + offset, name, length);
    return true;
}

void CS22CommandBuffer::PutCutName(std::size_t offset, std::size_t field, std::size_t keep, const char* name)
{
    if (!Fits(offset, field) || name == nullptr)
        return;
    const std::size_t limit = keep < field ? keep : field - 1;
    std::memcpy(m_abData + offset, name, ::strnlen(name, limit));
}

std::uint16_t S22ReadWord(const unsigned char* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t S22ReadDword(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}
