#include "app/Clipboard.h"

#include "platform/ShiftJis.h"

namespace app {

std::optional<std::string> TUiClipboard::GetText(bool* box) {
    std::string text = ui_.ClipboardText();
    if (box) *box = ui_.ClipboardHasBoxMarker();
    if (text.empty()) return std::nullopt;
    platform::EncodeResult sjis = platform::EncodeSjis(text);
    if (!sjis.ok()) {
        ui_.MessageBox("クリップボードの文字列にはShift-JISで表せない文字が含まれているため、貼り付けできません。\n" +
                           sjis.unconvertible,
                       "警告", platform::MsgKind::Warning, platform::MsgButtons::Ok);
        return std::nullopt;
    }
    return sjis.bytes;
}

void TUiClipboard::SetText(std::string_view sjis, bool box) { ui_.SetClipboardText(platform::SjisToUtf8(sjis), box); }

}  // namespace app
