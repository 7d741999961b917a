// The download areas' settings: value names in "Download Directorys" and the rules for reading them.
#pragma once

// The registry section of the four areas, their aliases and the default area.
inline constexpr char kAreaSection[] = "Download Directorys";
// The area path of an area without a directory.
inline constexpr char kNoPath[] = "No Path";
// An alias is kept to this many characters.
inline constexpr int kAliasWidth = 48;

// Value names of area 1..4; any other area number names area 1, as the default area's reading does.
const char* AreaPathName(int area);
const char* AliasName(int area);
// The default area a "Default" value stands for: 2, 3 and 4 as they are, anything else (missing too) area 1.
int DefaultAreaOf(int value);
