#include "app/PortOpenReport.h"

#include "app/ExitStatus.h"
#include "link/PortFailure.h"

#include <ostream>
#include <string>

int ReportPortNotOpened(std::ostream& out, int com, const SerialOpenFailure& failure)
{
    out << "COM" << com << " could not be opened.\n";
    for (const std::string& line : DescribeOpenFailure(com, failure))
        out << line << "\n";
    return failure.kind == SerialOpenFailure::Kind::Busy ? exitstatus::kBusy : exitstatus::kCannotOpen;
}
