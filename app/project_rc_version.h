// ProjectRCVersion: reads the product name, version, copyright and special-build texts from a module's
// version resource.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

class ProjectRCVersion {
public:
    explicit ProjectRCVersion(HMODULE module);
    ProjectRCVersion(const ProjectRCVersion&) = delete;
    ProjectRCVersion& operator=(const ProjectRCVersion&) = delete;

    // Each fills text with a pointer into the version data (valid while this object lives) and answers
    // whether the entry exists.
    bool GetProductName(const char*& text) const { return Query("ProductName", text); }
    bool GetProductVersion(const char*& text) const { return Query("ProductVersion", text); }
    bool GetCopyright(const char*& text) const { return Query("LegalCopyright", text); }
    bool GetSpecialBuild(const char*& text) const { return Query("SpecialBuild", text); }

private:
    bool Query(const char* entry, const char*& text) const;

    std::uint32_t* m_translation = nullptr;
    std::vector<char> m_versionData;
};
