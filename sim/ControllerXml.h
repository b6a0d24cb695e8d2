#pragma once
// The XML files a controller writes about itself: its configuration as the last download left
// it (here: made from the settings), its live status and the directory of its file area.

#include "sim/FileStore.h"
#include "sim/SignSim.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qvxsim {

struct DisplayState;

// ".M3" display types get the M3 layout (lines ending in a blank, no indentation, the full
// element set); all others the M2 layout (two-blank indentation).
std::string ConfigXml(const ControllerSettings& settings, unsigned char address);
std::string StatusXml(const ControllerSettings& settings, const DisplayState& display, std::uint32_t clock,
                      unsigned long freeMemory);
std::string DirectoryXml(const FileStore& files);

// What a controller takes from its CONFIG.XML as it starts: CFG type, TIME zn (-720..840) and
// TIME dst (0 or 1). A value that is missing or unreadable leaves the setting as it was.
void FollowConfig(std::string_view text, ControllerSettings& settings);

// "32X80MONO64.CRV.M2" -> "Corvid 32 x 80 Monochrome 64"; a type it cannot read describes itself.
std::string DescribeDisplayType(const std::string& type);
// The protocol of the sign port in CONFIG.XML: the setting, else by the type's generation.
std::string SignPortProtocol(const ControllerSettings& settings);

} // namespace qvxsim
