#pragma once
// Reply layouts of the type-0 commands: how long each reply is, where its status byte sits, and
// the status values the controller reports by itself.

#include "sim/SignSim.h"
#include "sim/Wire.h"

#include <cstddef>
#include <optional>
#include <span>

namespace qvxsim {

inline constexpr unsigned char kExtendedPrefix = 0x80;

// Status bytes of the controller's own refusals (any non-zero value means failure to the host).
enum : unsigned char {
    kStatusOk = 0,
    kStatusBadRequest = 1,    // a field out of range, a missing or over-long name, bad padding
    kStatusNotFound = 2,      // no such file, message or graphic
    kStatusOutOfSequence = 3, // a block nobody asked for, or not the next one
    kStatusSizeMismatch = 4,  // block count or block size not what the size needs
    kStatusNoRoom = 5,        // larger than a file may be, or the area is full
    kStatusBadData = 6,       // compressed data that does not inflate to the announced size
};

struct ReplyLayout {
    std::size_t size = 8;     // data bytes before any block data
    std::size_t statusAt = 1; // 1 for basic commands, 2 for extended ones, unless the command says otherwise
};

// Data byte 0, or byte 1 after 0x80; nullopt for an empty request or a lone 0x80.
std::optional<CommandKey> KeyOf(std::span<const unsigned char> request);
ReplyLayout LayoutOf(CommandKey key);

// Block number carried by a data block or block request; 0 for other commands.
unsigned BlockNumberOf(CommandKey key, std::span<const unsigned char> request);

// The reply in its layout, all zero but the command code (and the block number of block
// commands), with `status` at its place.
Bytes Reply(CommandKey key, std::span<const unsigned char> request, unsigned char status = kStatusOk);
// The same for a request known to carry a command code.
Bytes ReplyTo(std::span<const unsigned char> request, unsigned char status = kStatusOk);

} // namespace qvxsim
