#include "link/S22ExtendedRequests.h"

#include "link/S22Transfer.h"

#include <ctime>

CS22CommandBuffer S22ExtendedNamed(unsigned char code, std::size_t size, unsigned char option, const char* name)
{
    auto request = CS22CommandBuffer::Extended(code, size);
    request.PutByte(2, option);
    request.PutName(3, S22_EXTENDED_NAME_FIELD, name);
    return request;
}

CS22CommandBuffer S22DeleteFileRequest(const char* name, unsigned char option)
{
    return S22ExtendedNamed(4, 120, option, name);
}

CS22CommandBuffer S22RunMessageRequest(const char* name, unsigned char b1, unsigned char b2, unsigned char b3,
                                       unsigned char b4, unsigned char b5, unsigned char b6, unsigned long dword,
                                       unsigned char option)
{
    auto request = S22ExtendedNamed(7, 136, option, name);
    request.PutByte(113, b5);
    request.PutDword(114, static_cast<std::uint32_t>(dword));
    request.PutByte(118, b4);
    request.PutByte(119, b1);
    request.PutByte(120, b3);
    request.PutByte(121, b2);
    request.PutByte(122, b6);
    return request;
}

CS22CommandBuffer S22BlankDisplayRequest(unsigned char b1)
{
    auto request = CS22CommandBuffer::Extended(10, 8);
    request.PutByte(2, b1);
    return request;
}

CS22CommandBuffer S22ResetDisplayRequest(unsigned char b1, unsigned char b2)
{
    auto request = CS22CommandBuffer::Extended(11, 16);
    request.PutByte(2, b1);
    request.PutByte(3, b2);
    return request;
}

CS22CommandBuffer S22SetTimeRequest(unsigned long time, unsigned char option)
{
    auto request = CS22CommandBuffer::Extended(15, 16);
    request.PutByte(2, option);
    request.PutDword(3, static_cast<std::uint32_t>(time));
    return request;
}

CS22CommandBuffer S22SetDisplayModeRequest(unsigned char b1, unsigned char b2)
{
    auto request = CS22CommandBuffer::Extended(16, 16);
    request.PutByte(2, b2);
    request.PutByte(3, b1);
    return request;
}

CS22CommandBuffer S22FileSendStart(unsigned char code, unsigned char option, const char* name,
                                   unsigned long sentSize)
{
    const long count = S22BlockCount(sentSize, S22_FILE_BLOCK);
    auto start = S22ExtendedNamed(code, 136, option, name);
    start.PutDword(113, static_cast<std::uint32_t>(std::time(nullptr)));
    start.PutWord(117, static_cast<std::uint16_t>(count < 0 ? 0 : count));
    start.PutWord(119, S22_FILE_BLOCK);
    start.PutDword(121, static_cast<std::uint32_t>(sentSize));
    return start;
}

CS22CommandBuffer S22FileGetStart(unsigned char option, const char* name)
{
    return S22ExtendedNamed(2, 120, option, name);
}
