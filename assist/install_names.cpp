// The two name checks of installing an assistant.
#include "assist/install_names.h"

namespace assist {

bool IsPlainFileName(std::string_view name)
{
    if (name.empty() || name.find_first_of("\\/:") != std::string_view::npos)
        return false;
    // Windows drops trailing dots and blanks, so "..", "..." or ". ." would name the folder or its parent.
    return name.find_first_not_of(". ") != std::string_view::npos;
}

bool IsPlainAssistantName(std::string_view name) { return !name.empty() && name.find('\\') == std::string_view::npos; }

}  // namespace assist
