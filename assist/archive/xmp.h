// XMP metadata (the RDF/XML packet that PDFs and pictures carry): title, description, creators, subjects and
// keywords, found by their namespaces whatever prefixes the packet uses. Portable.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace arcdesc {

struct XmpFields {
    std::u32string title;        // dc:title, its default language
    std::u32string description;  // dc:description, its default language
    std::vector<std::u32string> creators;  // dc:creator
    std::vector<std::u32string> subjects;  // dc:subject
    std::u32string keywords;               // pdf:Keywords
    bool Empty() const
    {
        return title.empty() && description.empty() && creators.empty() && subjects.empty() && keywords.empty();
    }
};

// Reads the packet's bytes (UTF-8, or UTF-16 with a byte-order mark); a broken packet gives what was read
// before the break.
XmpFields ReadXmp(std::string_view packet);

}  // namespace arcdesc
