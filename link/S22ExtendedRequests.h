#pragma once
// Requests of the extended commands that both protocol objects send, built in one place so the
// two cannot drift apart on the wire.

#include "link/S22CommandBuffer.h"

#include <cstdint>

// 0x80, code, option in byte 2, a name of up to 109 characters in bytes 3-112.
CS22CommandBuffer S22ExtendedNamed(unsigned char code, std::size_t size, unsigned char option, const char* name);

CS22CommandBuffer S22DeleteFileRequest(const char* name, unsigned char option);
CS22CommandBuffer S22RunMessageRequest(const char* name, unsigned char b1, unsigned char b2, unsigned char b3,
                                       unsigned char b4, unsigned char b5, unsigned char b6, unsigned long dword,
                                       unsigned char option);
CS22CommandBuffer S22BlankDisplayRequest(unsigned char b1);
CS22CommandBuffer S22ResetDisplayRequest(unsigned char b1, unsigned char b2);
CS22CommandBuffer S22SetTimeRequest(unsigned long time, unsigned char option);
// The second argument goes first on the wire.
CS22CommandBuffer S22SetDisplayModeRequest(unsigned char b1, unsigned char b2);

// The 136-byte start of a file send (code 1) or a compressed send (code 20): the sizes describe the
// bytes actually sent, in blocks of 246.
CS22CommandBuffer S22FileSendStart(unsigned char code, unsigned char option, const char* name,
                                   unsigned long sentSize);
CS22CommandBuffer S22FileGetStart(unsigned char option, const char* name);

constexpr std::size_t S22_FILE_BLOCK = 246;
