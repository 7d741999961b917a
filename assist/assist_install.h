// Installing an assistant from its install file (".ksa"): the library moves from beside the install file into
// the program's folder and its name is recorded under the Assistants key.
#pragma once
#include "framework/window.h"

namespace assist {

// The Install command, with the MDI client as the parent of its file dialog and boxes.
void InstallAssistant(ks::TWindow& parent);

}  // namespace assist
