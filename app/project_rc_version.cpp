// ProjectRCVersion: the version resource of a module file.
#include "app/project_rc_version.h"

#include <cstdio>

ProjectRCVersion::ProjectRCVersion(HMODULE module)
{
    // The path comes from the system in the ANSI code page already; it is used as it is.
    char path[256];
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return;
    m_versionData.resize(size);
    if (!GetFileVersionInfoA(path, 0, size, m_versionData.data())) {
        m_versionData.clear();
        return;
    }
    void* translation = nullptr;
    UINT translationSize = 0;
    if (!VerQueryValueA(m_versionData.data(), "\\VarFileInfo\\Translation", &translation, &translationSize) ||
        translationSize < sizeof(std::uint32_t)) {
        m_versionData.clear();
        return;
    }
    // Language and code page swap places, so that printing the value gives language first.
    m_translation = static_cast<std::uint32_t*>(translation);
    *m_translation = (*m_translation << 16) | (*m_translation >> 16);
}

bool ProjectRCVersion::Query(const char* entry, const char*& text) const
{
    if (m_versionData.empty())
        return false;
    char subBlock[64];
    std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%08lx\\%s", static_cast<unsigned long>(*m_translation),
                  entry);
    void* value = nullptr;
    UINT length = 0;
    // VerQueryValue does not change the data; its declaration just predates const.
    if (!VerQueryValueA(const_cast<char*>(m_versionData.data()), subBlock, &value, &length) || !value)
        return false;
    text = static_cast<const char*>(value);
    return true;
}
