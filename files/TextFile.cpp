#include "files/TextFile.h"

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the sequence a lead byte opens, 0 when it opens none.
std::size_t SequenceLength(unsigned char lead)
{
    if (lead >= 0xC0 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    return 0;
}

bool IsCompleteSequence(std::string_view text, std::size_t at, std::size_t length)
{
    if (length == 0 || text.size() - at < length)
        return false;
    for (std::size_t i = 1; i < length; ++i)
        if (!IsContinuation(static_cast<unsigned char>(text[at + i])))
            return false;
    return true;
}

char SingleByteOf(std::string_view sequence)
{
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() != 2 || lead < 0xC2) // longer, or an overlong form of a code below 0x80
        return '?';
    const unsigned codePoint = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(sequence[1]) & 0x3Fu);
    return codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
}

} // namespace

std::string Utf8ToSingleByte(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80 ? 0 : SequenceLength(byte);
        if (IsCompleteSequence(text, i, length)) {
            out += SingleByteOf(text.substr(i, length));
            i += length;
        } else {
            out += text[i];
            ++i;
        }
    }
    return out;
}
