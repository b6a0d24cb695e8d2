#pragma once
// The tool's texts are single-byte (Latin-1: the degree sign of the temperature line); Qt's are
// Unicode. Every text crosses here, at the widget boundary.

#include <QString>

#include <string>

inline QString FromTool(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters beyond Latin-1 become '?', as the single-byte code page would show them.
inline std::string ToTool(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
