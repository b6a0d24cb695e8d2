#include "sim/Wire.h"

#include <algorithm>

namespace qvxsim {

NameField GetName(std::span<const unsigned char> data, std::size_t at, std::size_t size)
{
    NameField field;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(ByteAt(data, at + i));
        if (c == 0) {
            field.terminated = true;
            return field;
        }
        field.text.push_back(static_cast<char>(c));
    }
    return field;
}

std::optional<std::string> RequiredName(std::span<const unsigned char> data, std::size_t at, std::size_t size)
{
    NameField field = GetName(data, at, size);
    if (!field.terminated || field.text.empty())
        return std::nullopt;
    return std::move(field.text);
}

void PutName(Bytes& data, std::size_t at, std::size_t size, const std::string& name)
{
    const std::size_t length = std::min(name.size(), size - 1);
    for (std::size_t i = 0; i < length; ++i)
        data.at(at + i) = static_cast<unsigned char>(name[i]);
}

} // namespace qvxsim
