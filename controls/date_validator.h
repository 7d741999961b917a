// TDateValidator: accepts empty text or a valid date in the short date format.
#pragma once
#include <windows.h>

#include "framework/controls.h"

namespace ks {

// Checks an edit's text as a date; its message is "Incorrect date !" in the language of the dates.
class TDateValidator : public TValidator {
public:
    // module: where the message strings come from (null: the program).
    explicit TDateValidator(HINSTANCE module = nullptr) : m_module(module) {}
    bool IsValid(const char* text) override;
    // The box belongs to what the main window shows on top, like every message of the program; without a main
    // window it is task-modal. The owner the edit offers is therefore not used.
    void Error(HWND owner) override;

private:
    HINSTANCE m_module;
};

// String id of the message for a language (0 to 3; English for any other).
UINT DateMessageId(int language);

}  // namespace ks
