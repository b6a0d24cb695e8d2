#include "link/S22NetPacket.h"

#include "link/S22NetResult.h"

#include <cstring>

int ExpectedCommandCode(unsigned char type, const unsigned char* data, unsigned char length)
{
    if (type != S22_TYPE_COMMAND || length == 0)
        return S22_NO_COMMAND_CODE;
    if (data[0] == S22_EXTENDED_COMMAND)
        return length > 1 ? data[1] : S22_NO_COMMAND_CODE;
    return data[0];
}

unsigned char S22Checksum(const unsigned char* bytes, std::size_t count)
{
    unsigned char sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum = static_cast<unsigned char>(sum + bytes[i]);
    return static_cast<unsigned char>(0x100 - sum);
}

void CS22NetPacket::Clear()
{
    std::memset(m_abFrame, 0, sizeof m_abFrame);
}

void CS22NetPacket::Build(unsigned char address, unsigned char sequence, unsigned char type,
                          const unsigned char* data, unsigned char length)
{
    Clear();
    m_abFrame[0] = 0x55;
    m_abFrame[1] = 0xAA;
    m_abFrame[2] = address;
    m_abFrame[3] = length;
    m_abFrame[4] = static_cast<unsigned char>((sequence & 0xF0) | (type & 0x0F));
    m_abFrame[5] = S22Checksum(m_abFrame, 5);
    if (length == 0)
        return;
    std::memcpy(m_abFrame + kHeaderSize, data, length);
    m_abFrame[kHeaderSize + length] = S22Checksum(m_abFrame + kHeaderSize, length);
}

std::size_t CS22NetPacket::WireLength() const
{
    return Length() == 0 ? kHeaderSize : Length() + kHeaderSize + 1u;
}

S22Result CS22NetPacket::Validate(unsigned char address, unsigned char sequence, unsigned char sentType,
                                  int expectedCode) const
{
    if (Address() != address)
        return ERR_SIGN_INVALID_RESPONSE;
    if (Sequence() != (sequence & 0xF0))
        return ERR_SIGN_INVALID_RESPONSE;
    if (!m_bRelax && Type() == S22_TYPE_BAD_COMMAND)
        return ERR_SIGN_BAD_COMMAND;
    if (!m_bRelax && Type() == S22_TYPE_UNSUPPORTED)
        return ERR_SIGN_UNSUPPORTED_COMMAND;
    if (sentType == S22_TYPE_SEQUENCE_RESET || sentType == S22_TYPE_QUERY_BROADCAST) {
        if (Type() != sentType)
            return ERR_SIGN_INVALID_RESPONSE;
    } else {
        if (!m_bRelax && Type() != S22_TYPE_GOOD_REPLY)
            return ERR_SIGN_INVALID_RESPONSE;
        if (Length() > 0 && Data()[0] == 0)
            return ERR_SIGN_UNSUPPORTED_COMMAND;
    }
    if (S22Checksum(m_abFrame, kHeaderSize) != 0)
        return ERR_SIGN_INVALID_RESPONSE;
    if (Length() > 0 && S22Checksum(Data(), Length() + 1u) != 0)
        return ERR_SIGN_INVALID_RESPONSE;
    if (expectedCode != S22_NO_COMMAND_CODE) {
        const unsigned char* data = Data();
        const int replyCode = data[0] == S22_EXTENDED_COMMAND ? data[1] : data[0];
        if (replyCode != expectedCode)
            return ERR_SIGN_INVALID_RESPONSE;
    }
    return S22NET_OK;
}
