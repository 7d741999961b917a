// The descriptions an archive (ZIP or tar) may carry, and which of its members gives the description: a
// FILE_ID.DIZ, else a DESCRIPT.ION, else a README, each the shallowest of its name. Portable.
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "assist/archive/proposal.h"
#include "assist/archive/reader.h"

namespace arcdesc {

// Enough of a description member for its first lines; descriptions are small but may be padded.
constexpr std::size_t kMemberReadBytes = 64 * 1024;

// The descriptions in order of preference.
enum class MemberRole { FileIdDiz, DescriptIon, Readme };
constexpr std::size_t kRoles = 3;

// The role of a member by its name (any folder, any case); none for other members and for sources the user
// switched off.
std::optional<MemberRole> RoleOf(std::string_view memberName, const Sources& sources);
// How many folders deep a member lies.
std::size_t Depth(std::string_view memberName);
TextKind KindOf(MemberRole role);

// The best member found so far for each role, with the text read from it.
class DescriptionChoice {
public:
    // The member's role when it is better than what is kept for that role: the caller then reads it and Keeps it.
    std::optional<MemberRole> Wanted(std::string_view memberName, const Sources& sources) const;
    void Keep(MemberRole role, std::string_view memberName, std::u32string text);
    // A member of the first role at the archive's top: nothing later can beat it.
    bool Settled() const;
    // The proposal from the first kept description that has a meaningful line.
    bool Propose(const CodePage& record, Proposal& proposal) const;

private:
    struct Kept {
        bool found = false;
        std::size_t depth = 0;
        std::u32string text;
    };
    std::array<Kept, kRoles> m_kept;
};

}  // namespace arcdesc
