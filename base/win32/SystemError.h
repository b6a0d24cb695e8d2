#pragma once
// The text Windows gives for a system error code (GetLastError), without its line end and full
// stop; "system error <code>" when the system has none.

#include <string>

namespace qvxbase {

std::string SystemErrorText(unsigned long code);

} // namespace qvxbase
