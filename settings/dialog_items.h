#pragma once
// The settings dialog's fixed texts by control name, as the dialog fills its
// controls: the items of its lists (what a stored index means to the user)
// and the captions of its layout. No window is needed to read them.
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include "framework/control.h"

namespace settings {

// The items of a list control ("cbHotKeys", "rgApplist", "cbLayout",
// "cbWPS3", "cbColor3", ...); empty for a control without fixed items.
std::vector<std::string> DialogListItems(std::string_view control);

// Every control of the dialog: its kind, name, parent, place, caption, tag.
std::span<const framework::ControlSpec> DialogLayout();

// The caption a control of the dialog is created with; empty when it has
// none or the dialog has no such control.
std::string_view DialogCaption(std::string_view control);

}  // namespace settings
