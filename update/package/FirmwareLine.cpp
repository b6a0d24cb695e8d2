#include "update/package/FirmwareLine.h"

std::string FirmwareFamily(bool firmwareLine)
{
    return firmwareLine ? "FP9023417" : "FX40211";
}

bool NamesFirmwareFamily(std::string_view text, bool firmwareLine)
{
    return text.find(FirmwareFamily(firmwareLine)) != std::string_view::npos;
}

std::string RecommendedFirmwareVersion(bool firmwareLine)
{
    return firmwareLine ? "FP9023417-3.11.3" : "FX40211-1.02.11";
}
