#pragma once
// The diagnostics text of each result code, for the link's own units. Other programs call
// S22ResultText, which the protocol library exports (S22Network.cpp) with these same texts; the
// tool's static copy of the link must not define that exported name a second time.

// The text with its newline ("Unkown Error\n" for unknown codes).
const char* S22ResultTextOf(short code);
