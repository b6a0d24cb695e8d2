#pragma once
// Turning controller files' UTF-8 into the tool's single-byte text (they are read whole with
// base/WholeFile.h).

#include <cstddef>
#include <string>
#include <string_view>

// Largest text the element index can address (its offsets are signed 32-bit).
constexpr std::size_t kMaxXmlTextSize = 0x7FFFFFFF;

// UTF-8 to single bytes: a two-byte sequence becomes the byte of its code point when that is 0x80
// to 0xFF, and '?' otherwise (overlong forms and code points above 0xFF); a complete sequence of
// three or four bytes becomes '?'. Every other byte (ASCII, stray continuation bytes, a lead byte
// without its continuation) is kept as it stands.
std::string Utf8ToSingleByte(std::string_view text);
