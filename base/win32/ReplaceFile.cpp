#include "base/WholeFile.h"

#include "base/win32/SystemError.h"

#include <windows.h>

#include <atomic>

namespace qvxbase {

namespace {

// Owns a file handle; closes it once.
class CFileHandle {
public:
    CFileHandle() = default;
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    bool Close()
    {
        if (!IsValid())
            return true;
        const bool closed = CloseHandle(m_handle) != 0;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }
    void Reset(HANDLE handle)
    {
        Close();
        m_handle = handle;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

} // namespace

bool ReplaceFileAtomically(const std::string& path, std::span<const std::span<const unsigned char>> pieces,
                           std::string& fault)
{
    // The process id keeps two jobs in one folder apart, the counter two writers in one process.
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    CFileHandle file;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100 && !file.IsValid(); ++attempt) {
        temporary = path + ".tmp" + std::to_string(GetCurrentProcessId()) + "." + std::to_string(counter++);
        // Not shared: nobody reads a half-written file.
        file.Reset(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
        error = file.IsValid() ? ERROR_SUCCESS : GetLastError();
        if (!file.IsValid() && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (!file.IsValid()) {
        fault = "cannot create a temporary file beside it: " + SystemErrorText(error);
        return false;
    }

    auto failed = [&](const char* what, DWORD code) {
        file.Close();
        DeleteFileA(temporary.c_str());
        fault = std::string(what) + ": " + SystemErrorText(code);
        return false;
    };
    for (const auto piece : pieces) {
        std::size_t written = 0;
        while (written < piece.size()) {
            const std::size_t left = piece.size() - written;
            const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
            DWORD n = 0;
            if (!WriteFile(file.Get(), piece.data() + written, chunk, &n, nullptr))
                return failed("cannot write the temporary file", GetLastError());
            if (n == 0)
                return failed("cannot write the temporary file", ERROR_WRITE_FAULT);
            written += n;
        }
    }
    // Without this a power cut after the rename can leave an empty file under the final name.
    if (!FlushFileBuffers(file.Get()))
        return failed("cannot flush the temporary file to disk", GetLastError());
    if (!file.Close())
        return failed("cannot close the temporary file", GetLastError());
    // Write-through: the rename is on disk when the call returns, so no folder flush follows.
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileA(temporary.c_str());
        fault = "cannot rename the temporary file over it: " + SystemErrorText(code);
        return false;
    }
    return true;
}

} // namespace qvxbase
