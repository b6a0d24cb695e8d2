// CS22Server_SignType::SetFromFileName on arbitrary bytes, then every text it gives. Checks: a
// name that was understood builds a name that parses back to itself, and the ordering is strict.
#include "link/S22ServerSignType.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    CS22Server_SignType type;
    const bool understood = type.SetFromFileName(name);
    const std::string built = type.GetFileName();
    const std::string description = type.GetDescription();
    const std::string directory = type.GetDirectory();
    QVX_FUZZ_CHECK(type.GetFamily() >= 0 && type.GetFamily() <= CS22Server_SignType::FAMILY_CORVID_6100);
    QVX_FUZZ_CHECK(!type.IsLess(type));
    QVX_FUZZ_CHECK(description.size() < 128 && directory.size() < 64);
    if (!understood || built.empty())
        return 0;

    CS22Server_SignType again;
    QVX_FUZZ_CHECK(again.SetFromFileName(built));
    QVX_FUZZ_CHECK(again.GetFileName() == built);
    QVX_FUZZ_CHECK(again.GetFamily() == type.GetFamily() && again.GetGeneration() == type.GetGeneration());
    QVX_FUZZ_CHECK(!(type.IsLess(again) && again.IsLess(type)));

    // Modules change neither the name nor the ordering of other families.
    CS22Server_SignType modular(type);
    modular.AddModule(type.GetColors(), 1, 2, 3, 4, 5);
    QVX_FUZZ_CHECK(modular.GetModuleCount() == 1 && type.GetModuleCount() == 0);
    QVX_FUZZ_CHECK(modular.GetModule(-1).a == -1 && modular.GetModule(1).a == -1);
    return 0;
}
