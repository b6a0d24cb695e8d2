#pragma once
// The XML files a controller writes about itself: its configuration as the last download left
// it (here: made from the settings), its live status and the directory of its file area.

#include "sim/FileStore.h"
#include "sim/SignSim.h"

#include <cstdint>
#include <string>

namespace qvxsim {

struct DisplayState;

// ".M3" display types get the M3 layout (lines ending in a blank, no indentation, the full
// element set); all others the M2 layout (two-blank indentation).
std::string ConfigXml(const ControllerSettings& settings, unsigned char address);
std::string StatusXml(const ControllerSettings& settings, const DisplayState& display, std::uint32_t clock,
                      unsigned long freeMemory);
std::string DirectoryXml(const FileStore& files);

// "32X80MONO64.CRV.M2" -> "Corvid 32 x 80 Monochrome 64"; a type it cannot read describes itself.
std::string DescribeDisplayType(const std::string& type);
// The protocol of the sign port in CONFIG.XML: the setting, else by the type's generation.
std::string SignPortProtocol(const ControllerSettings& settings);

} // namespace qvxsim
