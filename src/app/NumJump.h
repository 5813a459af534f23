// TNumJmp: the jump-to-line dialog's state and rules; its Qt view shows it
// modally and forwards the keys and buttons.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/Settings.h"

namespace app {

class TNumJmp {
public:
    static constexpr std::string_view kCaption = "行番号";
    static constexpr std::string_view kLabel = "移動先の行番号(&L)";
    static constexpr std::string_view kHint = "移動する行番号";
    static constexpr std::string_view kOk = "&OK";
    static constexpr std::string_view kCancel = "&Cancel";

    std::string number;  // the field `SaNumEdit1`, UTF-8
    int left = 0, top = 0, width = 0, height = 0;

    // Centres the dialog's current size over the main window's rectangle.
    void PlaceOver(const TWindowRect& main);
    // A key in the number field: true when the focus is to move to OK (Enter).
    static bool SaNumEdit1KeyDown(int key);
    // The number entered; nullopt when the field holds no integer.
    std::optional<int> Value() const;
    // The conversion error shown for a field that holds no integer.
    std::string ConversionError() const;
};

}  // namespace app
