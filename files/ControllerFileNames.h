#pragma once
// The controller's fixed set of file names, in the controller's order. Names are compared and sent
// in upper case exactly as written.

#include <array>
#include <string_view>

enum ControllerFile {
    CONTROLLER_FILE_LOG = 0,
    CONTROLLER_FILE_PLAYLIST = 1,
    CONTROLLER_FILE_DIRECTORY = 2,
    CONTROLLER_FILE_CONFIG = 3,
    CONTROLLER_FILE_STATUS = 4,
    CONTROLLER_FILE_DEFAULTS = 5,
    CONTROLLER_FILE_RTD = 6,
    CONTROLLER_FILE_DIAGNOSTICS = 7,
    CONTROLLER_FILE_SYSTEM = 8,
};

inline constexpr std::array<std::string_view, 9> kControllerFileNames = {
    "LOG.XML",    "PLAYLIST.XML", "DIRECTORY.XML",   "CONFIG.XML", "STATUS.XML",
    "DEFAULTS.XML", "RTD.BIN",    "DIAGNOSTICS.XML", "SYSTEM.XML",
};

// The name at `index`; empty outside the set.
constexpr std::string_view ControllerFileName(int index)
{
    return index >= 0 && index < static_cast<int>(kControllerFileNames.size())
               ? kControllerFileNames[static_cast<std::size_t>(index)]
               : std::string_view();
}
