#pragma once
#include <span>
#include <string>
#include <string_view>
namespace qvxres {
constexpr int kFirmwareFX40211 = 248;    // type "BIN": package of FX40211.EXE
constexpr int kFirmwareFP9023417 = 265;  // type "BIN": package of FP9023417.EXE
constexpr int kStrFX40211Version = 122;  // "FX40211-1.02.11"
constexpr int kStrFP9023417Version = 181; // "FP9023417-3.11.3"
constexpr int kStrFP9023417 = 292;       // "FP9023417"
// The bytes of an embedded resource, read in place; empty when there is none of that type and id.
std::span<const unsigned char> FindEmbeddedResource(std::string_view type, int id);
// A string table entry; empty when there is none.
std::string LoadEmbeddedString(int id);
}
