#pragma once
// The commands that are not transfers: what each does to the display and the reply it gets.
// Commands the controller does not model are answered with a plain good reply.

#include "sim/SignState.h"

#include <span>

namespace qvxsim {

Bytes DisplayCommand(SignState& state, CommandKey key, std::span<const unsigned char> request);
// Whether the controller reboots once it has answered the command: the reset-display command,
// and M2SetDisplayMode's memory cleanup (mode 3).
bool RebootsAfter(CommandKey key, std::span<const unsigned char> request);

// GetStatus's 128-byte record: 2-18 message playing, 19-35 schedule running, 36 dimming level,
// 37 dimming automatic, 38-39 temperature (signed, Celsius), 40-43 total memory, 44-47 free
// memory, 48-51 clock, 52 blanked, 53-54 display mode bytes, 55 test pattern, 80 status.
Bytes StatusRecord(SignState& state, std::span<const unsigned char> request);

} // namespace qvxsim
