#pragma once
// The usual decimal conversion of attribute values: leading whitespace, an optional sign, then
// digits up to the first other character; an empty or non-numeric text counts as 0.

#include <string_view>

// Saturates at the limits of long long instead of overflowing.
long long DecimalValue(std::string_view text);

// The same, clamped to the range of int.
int DecimalIntValue(std::string_view text);
