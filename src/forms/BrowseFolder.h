// The folder chooser of the project settings dialog.
#pragma once

#include <string>

#include "platform/Ui.h"

namespace forms {

// Shows the folder chooser ("フォルダの選択") from the file system root.
// Returns the chosen folder ending in exactly one "/", or "" on Cancel.
std::string BrowseForFolder(platform::Ui& ui);

}  // namespace forms
