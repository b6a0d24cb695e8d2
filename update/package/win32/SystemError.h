#pragma once
// The text Windows gives for a system error code (GetLastError), without its line end.

#include <string>

namespace qvxpkg {

std::string SystemErrorText(unsigned long code);

} // namespace qvxpkg
