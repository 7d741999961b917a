// The rules a name typed by the user must keep to be a plain file (or directory) name: no path, no wildcard, no
// device. Portable: the Windows rules, checked before anything on disk is touched.
#pragma once
#include <string>
#include <string_view>

// Empty when name is a plain name; otherwise the sentence a box shows to say which rule it breaks.
std::string PlainNameFault(std::string_view name);
