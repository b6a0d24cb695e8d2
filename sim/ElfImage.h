#pragma once
// The controller's reading of a firmware image: a 32-bit big-endian ELF executable and its sections
// by name. Every offset, size and count taken from the file is checked against the file's size
// before it is used, so a truncated or hostile image is refused, never read past.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace qvxsim {

class ElfImage {
public:
    // nullopt unless `file` holds a whole ELF header of a 32-bit big-endian executable (type 2).
    // The image refers to `file`, which must outlive it.
    static std::optional<ElfImage> Open(std::span<const unsigned char> file);

    // The bytes of the first section called `name`; nullopt when there is none, or when the section
    // table, the section name table or the section itself does not lie inside the file.
    std::optional<std::span<const unsigned char>> Section(std::string_view name) const;

private:
    struct SectionHeader {
        std::size_t name = 0;
        std::size_t type = 0;
        std::size_t offset = 0;
        std::size_t size = 0;
    };

    explicit ElfImage(std::span<const unsigned char> file) : m_file(file) {}
    SectionHeader HeaderAt(std::size_t at) const;
    // The header's bytes in the file; nullopt when it has none there or they do not fit.
    std::optional<std::span<const unsigned char>> Contents(const SectionHeader& header) const;

    std::span<const unsigned char> m_file;
};

} // namespace qvxsim
