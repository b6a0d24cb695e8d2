#include "link/S22Diagnostics.h"

#include "base/LocalTime.h"
#include "base/PathText.h"
#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"
#include "link/S22ResultTexts.h"

#include <cstdio>
#include <ctime>

namespace {

void WriteFrame(std::FILE* file, const char* label, const CS22NetPacket& frame)
{
    std::fputs(label, file);
    const std::size_t length = frame.WireLength();
    for (std::size_t i = 0; i < length; ++i)
        std::fprintf(file, " %X", frame.Bytes()[i]);
    std::fputc('\n', file);
}

} // namespace

void CS22Diagnostics::Enable(bool errorsOnly, const char* directory)
{
    m_bEnabled = true;
    m_bErrorsOnly = errorsOnly;
    m_strDirectory = directory != nullptr ? directory : "";
}

std::string CS22Diagnostics::FilePath() const
{
    // Windows drops the trailing dot of "C:\\logs.", so a directory given without a separator
    // still names that directory there; a separator keeps that meaning here. '/' is added on
    // both systems: Windows takes it, and the path reads the same everywhere.
    return qvxbase::WithFolderSeparator(m_strDirectory, '/') + ".//" + m_strFileName;
}

void CS22Diagnostics::Record(bool firstTry, const CS22NetPacket& sent, const CS22NetPacket& received,
                             short result) const
{
    if (!m_bEnabled || (m_bErrorsOnly && result == S22NET_OK))
        return;
    std::FILE* file = std::fopen(FilePath().c_str(), "a");
    if (file == nullptr)
        return;
    if (firstTry) {
        char stamp[64] = "";
        const std::time_t now = std::time(nullptr);
        struct tm local {};
        if (qvxbase::LocalTimeOf(now, local))
            std::strftime(stamp, sizeof stamp, "%b %d, %Y %I:%M:%S %p\n", &local);
        std::fputs(stamp, file);
    }
    WriteFrame(file, "Sent:   ", sent);
    WriteFrame(file, "Recv'd: ", received);
    std::fputs("Error Status: ", file);
    std::fputs(S22ResultTextOf(result), file);
    std::fclose(file);
}
