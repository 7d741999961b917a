// Choosing the description among an archive's members.
#include "assist/archive/archive_members.h"

#include <algorithm>

namespace arcdesc {

namespace {

std::string BaseNameUpper(std::string_view name)
{
    const auto slash = name.find_last_of("/\\");
    std::string base(slash == std::string_view::npos ? name : name.substr(slash + 1));
    std::transform(base.begin(), base.end(), base.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; });
    return base;
}

}  // namespace

std::optional<MemberRole> RoleOf(std::string_view memberName, const Sources& sources)
{
    if (memberName.empty() || memberName.back() == '/' || memberName.back() == '\\')
        return std::nullopt;  // a folder
    const std::string base = BaseNameUpper(memberName);
    if (base == "FILE_ID.DIZ")
        return sources.fileIdDiz ? std::optional(MemberRole::FileIdDiz) : std::nullopt;
    if (base == "DESCRIPT.ION")
        return sources.descriptIon ? std::optional(MemberRole::DescriptIon) : std::nullopt;
    if (base == "README" || base == "READ.ME" || base.rfind("README.", 0) == 0)
        return sources.readme ? std::optional(MemberRole::Readme) : std::nullopt;
    return std::nullopt;
}

std::size_t Depth(std::string_view memberName)
{
    std::string_view name = memberName;
    while (name.substr(0, 2) == "./")
        name.remove_prefix(2);  // tar members often start so
    return static_cast<std::size_t>(
        std::count_if(name.begin(), name.end(), [](char c) { return c == '/' || c == '\\'; }));
}

TextKind KindOf(MemberRole role)
{
    switch (role) {
    case MemberRole::FileIdDiz:
        return TextKind::Description;
    case MemberRole::DescriptIon:
        return TextKind::DescriptIon;
    case MemberRole::Readme:
        break;
    }
    return TextKind::FirstLines;
}

std::optional<MemberRole> DescriptionChoice::Wanted(std::string_view memberName, const Sources& sources) const
{
    const auto role = RoleOf(memberName, sources);
    if (!role)
        return std::nullopt;
    const Kept& kept = m_kept[static_cast<std::size_t>(*role)];
    if (kept.found && kept.depth <= Depth(memberName))
        return std::nullopt;  // the first of equals stays
    return role;
}

void DescriptionChoice::Keep(MemberRole role, std::string_view memberName, std::u32string text)
{
    Kept& kept = m_kept[static_cast<std::size_t>(role)];
    kept.found = true;
    kept.depth = Depth(memberName);
    kept.text = std::move(text);
}

bool DescriptionChoice::Settled() const
{
    const Kept& first = m_kept[static_cast<std::size_t>(MemberRole::FileIdDiz)];
    return first.found && first.depth == 0;
}

bool DescriptionChoice::Propose(const CodePage& record, Proposal& proposal) const
{
    for (std::size_t i = 0; i < kRoles; ++i)
        if (m_kept[i].found && ProposeFromText(m_kept[i].text, KindOf(static_cast<MemberRole>(i)), record, proposal))
            return true;
    return false;
}

}  // namespace arcdesc
