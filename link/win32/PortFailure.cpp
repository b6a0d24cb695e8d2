#include "link/PortFailure.h"

#include "link/win32/WinHandle.h"

#include <cctype>

namespace {

std::string Prefix(int comNumber)
{
    return "COM" + std::to_string(comNumber) + ": ";
}

// The system's text for an error code, without the line end and full stop it comes with.
std::string SystemText(int error)
{
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() &&
           (std::isspace(static_cast<unsigned char>(message.back())) != 0 || message.back() == '.'))
        message.pop_back();
    return message.empty() ? std::string("unknown reason") : message;
}

} // namespace

std::vector<std::string> DescribeOpenFailure(int comNumber, const SerialOpenFailure& failure)
{
    const std::string prefix = Prefix(comNumber);
    const std::string code = "error " + std::to_string(failure.systemError);
    switch (failure.kind) {
    case SerialOpenFailure::Kind::None:
        return {};
    case SerialOpenFailure::Kind::NoSuchPort:
        return {prefix + "there is no such port on this machine (" + SystemText(failure.systemError) + ", " + code +
                ")"};
    case SerialOpenFailure::Kind::Busy:
        return {prefix + "access was refused: another program has the port open"};
    case SerialOpenFailure::Kind::NoPermission:
        return {prefix + "access was refused: " + SystemText(failure.systemError) + " (" + code + ")"};
    case SerialOpenFailure::Kind::Refused:
        break;
    }
    const std::string device = failure.device.empty() ? std::string("the port") : failure.device;
    return {prefix + device + " could not be set up as a serial line: " + SystemText(failure.systemError) + " (" +
            code + ")"};
}
