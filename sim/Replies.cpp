#include "sim/Replies.h"

namespace qvxsim {

namespace {

bool IsBlockCommand(CommandKey key)
{
    return key.extended ? key.code == 5 || key.code == 6 : key.code == 3 || key.code == 4;
}

std::size_t BlockNumberAt(CommandKey key)
{
    return key.extended ? 3 : 2;
}

} // namespace

std::optional<CommandKey> KeyOf(std::span<const unsigned char> request)
{
    if (request.empty() || (request[0] == kExtendedPrefix && request.size() < 2))
        return std::nullopt;
    if (request[0] == kExtendedPrefix)
        return ExtendedCommand(request[1]);
    return BasicCommand(request[0]);
}

ReplyLayout LayoutOf(CommandKey key)
{
    if (key.extended) {
        switch (key.code) {
        case 2: return {152, 124}; // get-file start
        case 23: return {120, 2};  // running message
        default: return {8, 2};
        }
    }
    switch (key.code) {
    case 2: return {128, 80};           // GetStatus
    case 8: case 37: return {64, 32};   // GetMessage, GetGraphic starts
    case 9: case 27: return {16, 7};    // message and graphic list starts
    default: return {8, 1};
    }
}

unsigned BlockNumberOf(CommandKey key, std::span<const unsigned char> request)
{
    return IsBlockCommand(key) ? Get16(request, BlockNumberAt(key)) : 0u;
}

Bytes Reply(CommandKey key, std::span<const unsigned char> request, unsigned char status)
{
    const ReplyLayout layout = LayoutOf(key);
    Bytes reply(layout.size, 0);
    if (key.extended) {
        reply[0] = kExtendedPrefix;
        reply[1] = key.code;
    } else {
        reply[0] = key.code;
    }
    if (IsBlockCommand(key))
        Put16(reply, BlockNumberAt(key), BlockNumberOf(key, request));
    reply[layout.statusAt] = status;
    return reply;
}

Bytes ReplyTo(std::span<const unsigned char> request, unsigned char status)
{
    return Reply(KeyOf(request).value_or(CommandKey{}), request, status);
}

} // namespace qvxsim
