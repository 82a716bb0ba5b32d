// The palette's controls and menu items by the names they have in the code (Edit7,
// menu_help_catc), for the command line and for legible failure messages.
#pragma once

#include <optional>
#include <string>

namespace tessavue::e2e {

// The id of the control or menu item called `name`; nullopt for an unknown name.
std::optional<int> ControlByName(const std::wstring& name);
// "Edit7 (1037)", or "control 1037" for an id without a name.
std::string ControlName(int id);

}  // namespace tessavue::e2e
