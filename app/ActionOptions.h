#pragma once
// The values the display-action forms take beside their COM<n>[:<address>], read and checked
// before any port is opened, so a typo never reaches a display.

#include "update/DisplayTypes.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// "-pattern": a number of the pattern list (0 to 13) or its name, in any case; empty gives 0.
bool ReadTestPattern(std::string_view text, int& pattern, std::ostream& err);

// "-timezone": a name of the time-zone list (whole, or a part only one name has, in any case), or
// its offset as "GMT-05:00", "GMT+5:30" or "GMT-5". zoneName receives the list's name.
bool ReadTimeZone(std::string_view text, std::string& zoneName, std::ostream& err);

// "-type": a number or name (in any case) of a display type of either firmware line. Which line the
// display has is known only once it is connected; a type of neither, and a name several types
// have ("32x80 Mono64" is a type of Gen 1, of Gen 2 and of the emulator), are refused before that.
bool CheckDisplayType(std::string_view text, std::ostream& err);

// The types of one firmware line a -type text names, as (key, list name) in the order of the
// configuration page's "All" list: the type of that number; else the type whose list name it is
// ("32x80 Mono64 - Gen 1"); else every type whose name alone it is. In any case.
std::vector<ConfigListItem> MatchDisplayTypes(const ConfigInfoMap& configs, const ConfigFilterMap& filters,
                                              std::string_view text);

// One line per type: "  10  32x80 Mono64 - Gen 1".
void ListDisplayTypes(const std::vector<ConfigListItem>& types, std::ostream& out);

// "-holdtime": whole minutes from 1 to 1440 (a day); empty gives 15.
bool ReadHoldMinutes(std::string_view text, long long& minutes, std::ostream& err);
