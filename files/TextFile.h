#pragma once
// Reading controller files from disk and turning their UTF-8 into the tool's single-byte text.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// Largest text the element index can address (its offsets are signed 32-bit).
constexpr std::size_t kMaxXmlTextSize = 0x7FFFFFFF;

// Reads a whole regular file into `bytes`. False (and `bytes` untouched) when the path is not a
// readable regular file or is larger than kMaxXmlTextSize.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes);

// UTF-8 to single bytes: a two-byte sequence becomes the byte of its code point when that is 0x80
// to 0xFF, and '?' otherwise (overlong forms and code points above 0xFF); a complete sequence of
// three or four bytes becomes '?'. Every other byte (ASCII, stray continuation bytes, a lead byte
// without its continuation) is kept as it stands.
std::string Utf8ToSingleByte(std::string_view text);
