#pragma once
// The time zones a downloaded configuration can be given: names from the string table, each with
// the offset from GMT in minutes that CONFIG.XML's TIME "zn" carries, read from the name's
// "(GMT...)" prefix.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The 32 zones' names in the order the lists show them, by offset.
std::vector<std::string> TimeZoneNames();
// Name to minutes.
std::map<std::string, int> BuildTimeZoneTable();
// The first name with this offset; empty when no zone has it.
std::string TimeZoneNameOf(int minutes);
// The name a display's zone is shown by when no name of the list has its offset, so that it is
// neither lost nor mistaken for a zone of the list: "(GMT+06:30) Display's own zone".
std::string OwnTimeZoneName(int minutes);
// The offset a name's prefix writes: "(GMT)" 0, "(GMT-03:30)" -210, "(GMT+5:45)" 345. None when the
// name does not start with such a prefix.
std::optional<int> TimeZonePrefixMinutes(std::string_view name);
