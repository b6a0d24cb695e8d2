#include "update/package/FileCommit.h"

#include "update/package/win32/SystemError.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <io.h>

namespace qvxpkg {

std::string SystemErrorText(unsigned long code)
{
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "system error " + std::to_string(code) : text;
}

bool FlushToDisk(std::FILE* file, std::string& reason)
{
    // _commit is FlushFileBuffers on the file's handle.
    if (std::fflush(file) != 0 || _commit(_fileno(file)) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

bool RenameReplacing(const std::string& from, const std::string& to, std::string& reason)
{
    // Write-through: the call returns once the new name is on disk.
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = SystemErrorText(GetLastError());
        return false;
    }
    return true;
}

} // namespace qvxpkg
