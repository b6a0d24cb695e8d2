#pragma once
// Everything a controller keeps between commands: its settings, clock, what the display is doing
// and its file areas. The command handlers share it; the controller owns it.

#include "sim/FileStore.h"
#include "sim/SignSim.h"
#include "sim/SimClock.h"

#include <array>
#include <optional>
#include <string>

namespace qvxsim {

inline constexpr char kConfigFile[] = "CONFIG.XML";
inline constexpr char kStatusFile[] = "STATUS.XML";
inline constexpr char kDirectoryFile[] = "DIRECTORY.XML";

struct DisplayState {
    std::string message;  // playing now; empty: none
    std::string schedule; // running now; empty: none
    std::string defaultMessage;
    unsigned char dimLevel = 100;
    bool dimAuto = true;
    bool blank = false;
    std::array<unsigned char, 2> displayMode{}; // as M2SetDisplayMode sends them (bytes 2 and 3)
    unsigned char testPattern = 0;
    std::uint16_t frame = 0; // selected frame of the running message
    unsigned char softwareAddress = 0;
};

class SignState {
public:
    SignState(unsigned char address, const ControllerSettings& settings);

    // New settings: a fresh clock and CONFIG.XML; the other files stay.
    void Configure(const ControllerSettings& settings);
    void SetProtocol(Protocol protocol) { m_settings.protocol = protocol; }

    unsigned char Address() const { return m_address; }
    const ControllerSettings& Settings() const { return m_settings; }
    SimClock& Clock() { return m_clock; }
    DisplayState& Display() { return m_display; }
    FileStore& Area(FileArea area);
    const FileStore& Area(FileArea area) const;

    // What a get delivers: the stored file, else STATUS.XML and DIRECTORY.XML made now.
    std::optional<Bytes> Read(FileArea area, const std::string& name) const;
    bool Store(FileArea area, const std::string& name, Bytes bytes);
    unsigned long FreeMemory() const;

private:
    template <typename Self>
    static auto& Pick(Self& self, FileArea area)
    {
        switch (area) {
        case FileArea::Messages:
            return self.m_messages;
        case FileArea::Schedules:
            return self.m_schedules;
        case FileArea::Graphics:
            return self.m_graphics;
        case FileArea::Files:
            break;
        }
        return self.m_files;
    }

    unsigned char m_address;
    ControllerSettings m_settings;
    SimClock m_clock;
    DisplayState m_display;
    FileStore m_files;
    FileStore m_messages;
    FileStore m_schedules;
    FileStore m_graphics;
};

} // namespace qvxsim
