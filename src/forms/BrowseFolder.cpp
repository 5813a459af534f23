#include "forms/BrowseFolder.h"

namespace forms {

std::string BrowseForFolder(platform::Ui& ui) {
    std::optional<std::string> folder = ui.ChooseFolder("フォルダの選択", "/");
    if (!folder || folder->empty()) return {};
    std::string path = *folder;
    if (path.back() != '/') path += '/';
    return path;
}

}  // namespace forms
