#include "sim/SignState.h"

#include "sim/ControllerXml.h"
#include "sim/FirmwareImage.h"

namespace qvxsim {

namespace {

Bytes BytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

} // namespace

SignState::SignState(unsigned char address, const ControllerSettings& settings)
    : m_address(address), m_settings(settings), m_clock(settings.clock)
{
    Configure(settings);
}

void SignState::Configure(const ControllerSettings& settings)
{
    m_settings = settings;
    m_clock = SimClock(settings.clock);
    m_files.Put(kConfigFile, BytesOf(ConfigXml(m_settings, m_address)), m_clock.Now());
}

FileStore& SignState::Area(FileArea area)
{
    return Pick(*this, area);
}

const FileStore& SignState::Area(FileArea area) const
{
    return Pick(*this, area);
}

std::optional<Bytes> SignState::Read(FileArea area, const std::string& name) const
{
    if (const StoredFile* file = Area(area).Find(name))
        return file->bytes;
    if (area != FileArea::Files)
        return std::nullopt;
    const std::string upper = UpperCase(name);
    if (upper == kStatusFile)
        return BytesOf(StatusXml(m_settings, m_display, m_clock.Now(), FreeMemory()));
    if (upper == kDirectoryFile)
        return BytesOf(DirectoryXml(m_files));
    return std::nullopt;
}

bool SignState::Store(FileArea area, const std::string& name, Bytes bytes)
{
    if (!Area(area).Put(name, std::move(bytes), m_clock.Now()))
        return false;
    if (area == FileArea::Files && IsFirmwareImage(name)) {
        m_newImage = UpperCase(name);
        ++m_imagesStored;
    }
    return true;
}

unsigned long SignState::FreeMemory() const
{
    const std::size_t used =
        m_files.TotalBytes() + m_messages.TotalBytes() + m_schedules.TotalBytes() + m_graphics.TotalBytes();
    return used >= m_settings.freeMemory ? 0 : m_settings.freeMemory - static_cast<unsigned long>(used);
}

} // namespace qvxsim
