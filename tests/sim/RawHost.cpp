#include "RawHost.h"

#include <zlib.h>

#include <algorithm>

namespace simtest {

namespace {

void Put16(Bytes& b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

void PutText(Bytes& b, std::size_t at, const std::string& text)
{
    std::copy(text.begin(), text.end(), b.begin() + static_cast<long>(at));
}

Bytes Extended(unsigned char code, std::size_t size)
{
    Bytes b(size, 0);
    b[0] = 0x80;
    b[1] = code;
    return b;
}

Bytes Basic(unsigned char code, std::size_t size)
{
    Bytes b(size, 0);
    b[0] = code;
    return b;
}

std::uint16_t Blocks(std::size_t size, std::size_t block)
{
    return static_cast<std::uint16_t>((size + block - 1) / block);
}

// Block `number` of data: its bytes at `at` in a frame of 255, zeros after them.
Bytes Chunk(Bytes frame, std::size_t at, std::uint16_t number, const Bytes& data, std::size_t block)
{
    const std::size_t from = std::min<std::size_t>((number - 1u) * block, data.size());
    const std::size_t to = std::min(from + block, data.size());
    std::copy(data.begin() + static_cast<long>(from), data.begin() + static_cast<long>(to),
              frame.begin() + static_cast<long>(at));
    return frame;
}

unsigned char StatusOf(const RawReply& reply, std::size_t at)
{
    if (!reply.ok || reply.type != 1 || reply.data.size() <= at)
        return 0xFF;
    return reply.data[at];
}

} // namespace

Bytes SendFileStart(const std::string& name, std::uint32_t size, std::uint16_t count, std::uint16_t blockSize)
{
    Bytes b = Extended(1, 136);
    PutText(b, 3, name);
    Put32(b, 113, 1700000000);
    Put16(b, 117, count);
    Put16(b, 119, blockSize);
    Put32(b, 121, size);
    return b;
}

Bytes SendFileStart(const std::string& name, const Bytes& data)
{
    return SendFileStart(name, static_cast<std::uint32_t>(data.size()), Blocks(data.size(), kFileBlock));
}

Bytes CompressedStart(const std::string& name, const Bytes& compressed, std::uint32_t inflatedSize)
{
    Bytes b = SendFileStart(name, compressed);
    b[1] = 20;
    Put32(b, 125, inflatedSize);
    return b;
}

Bytes FileBlock(std::uint16_t number, const Bytes& data)
{
    Bytes b = Extended(5, 255);
    Put16(b, 3, number);
    return Chunk(b, 9, number, data, kFileBlock);
}

Bytes GetFileStart(const std::string& name)
{
    Bytes b = Extended(2, 120);
    PutText(b, 3, name);
    return b;
}

Bytes FileBlockRequest(std::uint16_t number)
{
    Bytes b = Extended(6, 16);
    Put16(b, 3, number);
    return b;
}

Bytes DeleteFile(const std::string& name)
{
    Bytes b = Extended(4, 120);
    PutText(b, 3, name);
    return b;
}

Bytes RenameFile(const std::string& from, const std::string& to)
{
    Bytes b = Extended(3, 232);
    PutText(b, 3, from);
    PutText(b, 113, to);
    return b;
}

Bytes BasicSendStart(unsigned char code, const std::string& name, const Bytes& data)
{
    Bytes b = Basic(code, 64);
    PutText(b, 2, name);
    const unsigned char time[] = {30, 15, 10, 24, 12, 125}; // 2025-12-24 10:15:30
    std::copy(std::begin(time), std::end(time), b.begin() + 19);
    Put16(b, 25, Blocks(data.size(), kMessageBlock));
    Put16(b, 27, kMessageBlock);
    Put32(b, 29, static_cast<std::uint32_t>(data.size()));
    return b;
}

Bytes BasicBlock(std::uint16_t number, const Bytes& data)
{
    Bytes b = Basic(3, 255);
    Put16(b, 2, number);
    return Chunk(b, 8, number, data, kMessageBlock);
}

Bytes BasicGetStart(unsigned char code, const std::string& name)
{
    Bytes b = Basic(code, 32);
    PutText(b, 2, name);
    return b;
}

Bytes BasicList(unsigned char code)
{
    return Basic(code, 8);
}

Bytes BasicBlockRequest(std::uint16_t number)
{
    Bytes b = Basic(4, 8);
    Put16(b, 2, number);
    return b;
}

std::uint16_t Le16(const Bytes& data, std::size_t at)
{
    return static_cast<std::uint16_t>(data.at(at) | data.at(at + 1) << 8);
}

std::uint32_t Le32(const Bytes& data, std::size_t at)
{
    return Le16(data, at) | static_cast<std::uint32_t>(Le16(data, at + 2)) << 16;
}

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes Pattern(std::size_t size, unsigned seed)
{
    Bytes b(size);
    unsigned x = seed * 2654435761u + 1;
    for (auto& byte : b) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(x >> 16);
    }
    return b;
}

Bytes Compress(const Bytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress(out.data(), &size, data.data(), static_cast<uLong>(data.size())) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

RawReply RawHost::Exchange(unsigned char address, const Bytes& request)
{
    m_sequence = static_cast<unsigned char>(m_sequence == 0xF0 ? 0x10 : m_sequence + 0x10);
    return Send(address, m_sequence, request);
}

RawReply RawHost::Repeat(unsigned char address, const Bytes& request)
{
    return Send(address, m_sequence, request);
}

RawReply RawHost::Send(unsigned char address, unsigned char sequence, const Bytes& request)
{
    m_port.Write(MakeFrame(address, sequence, request));
    RawReply reply;
    reply.frame = m_port.Read(6);
    if (reply.frame.size() != 6)
        return reply;
    const std::size_t length = reply.frame[3];
    if (length > 0) {
        const Bytes rest = m_port.Read(length + 1);
        reply.frame.insert(reply.frame.end(), rest.begin(), rest.end());
    }
    reply.type = reply.frame[4] & 0x0F;
    reply.data.assign(reply.frame.begin() + 6, reply.frame.begin() + 6 + static_cast<long>(length));
    reply.ok = reply.frame == MakeFrame(reply.frame[2], reply.frame[4], reply.data);
    return reply;
}

unsigned char RawHost::SendBlocks(unsigned char address, const Bytes& start, const Bytes& data)
{
    const bool extended = start[0] == 0x80;
    const std::size_t statusAt = extended ? 2 : 1;
    unsigned char status = StatusOf(Exchange(address, start), statusAt);
    const std::size_t block = extended ? kFileBlock : kMessageBlock;
    for (std::uint16_t k = 1; status == 0 && k <= Blocks(data.size(), block); ++k)
        status = StatusOf(Exchange(address, extended ? FileBlock(k, data) : BasicBlock(k, data)), statusAt);
    return status;
}

unsigned char RawHost::SendFile(unsigned char address, const std::string& name, const Bytes& data)
{
    return SendBlocks(address, SendFileStart(name, data), data);
}

unsigned char RawHost::SendCompressed(unsigned char address, const std::string& name, const Bytes& data)
{
    const Bytes compressed = Compress(data);
    return SendBlocks(address, CompressedStart(name, compressed, static_cast<std::uint32_t>(data.size())), compressed);
}

std::optional<Bytes> RawHost::GetFile(unsigned char address, const std::string& name, unsigned char* status)
{
    unsigned char ignored = 0;
    unsigned char& result = status ? *status : ignored;
    const RawReply start = Exchange(address, GetFileStart(name));
    result = StatusOf(start, 124);
    if (result != 0)
        return std::nullopt;
    const std::uint32_t size = Le32(start.data, 120);
    Bytes data;
    for (std::uint16_t k = 1; k <= Le16(start.data, 116); ++k) {
        const RawReply block = Exchange(address, FileBlockRequest(k));
        result = StatusOf(block, 2);
        if (result != 0)
            return std::nullopt;
        const std::size_t keep = std::min<std::size_t>(block.data.size() - 8, size - data.size());
        data.insert(data.end(), block.data.begin() + 8, block.data.begin() + 8 + static_cast<long>(keep));
    }
    return data;
}

unsigned char RawHost::SendBasic(unsigned char address, unsigned char code, const std::string& name, const Bytes& data)
{
    return SendBlocks(address, BasicSendStart(code, name, data), data);
}

std::optional<Bytes> RawHost::GetBasic(unsigned char address, unsigned char code, const std::string& name,
                                       unsigned char* status)
{
    unsigned char ignored = 0;
    unsigned char& result = status ? *status : ignored;
    const bool list = code == 9 || code == 27;
    const RawReply start = Exchange(address, list ? BasicList(code) : BasicGetStart(code, name));
    result = StatusOf(start, list ? 7 : 32);
    if (result != 0)
        return std::nullopt;
    const std::uint16_t count = Le16(start.data, list ? 3 : 24);
    const std::size_t size = list ? Le16(start.data, 1) * 32u : Le32(start.data, 28);
    Bytes data;
    for (std::uint16_t k = 1; k <= count; ++k) {
        const RawReply block = Exchange(address, BasicBlockRequest(k));
        result = StatusOf(block, 1);
        if (result != 0)
            return std::nullopt;
        const std::size_t keep = std::min<std::size_t>(block.data.size() - 8, size - data.size());
        data.insert(data.end(), block.data.begin() + 8, block.data.begin() + 8 + static_cast<long>(keep));
    }
    return data;
}

} // namespace simtest
