#include "link/PortFailure.h"

#include "link/win32/SystemText.h"
#include "link/win32/WinHandle.h"

#include <cctype>

namespace {

std::string Prefix(int comNumber)
{
    return "COM" + std::to_string(comNumber) + ": ";
}

std::string SystemText(int error)
{
    return qvxwin::SystemText(static_cast<DWORD>(error));
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
