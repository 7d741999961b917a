// The download areas' value names and the default-area rule.
#include "download/area_settings.h"

namespace {
constexpr const char* kAreaNames[] = {"Area One", "Area Two", "Area Three", "Area Four"};
constexpr const char* kAliasNames[] = {"Alias One", "Alias Two", "Alias Three", "Alias Four"};
}  // namespace

int DefaultAreaOf(int value) { return value >= 2 && value <= 4 ? value : 1; }

const char* AreaPathName(int area) { return kAreaNames[DefaultAreaOf(area) - 1]; }

const char* AliasName(int area) { return kAliasNames[DefaultAreaOf(area) - 1]; }
