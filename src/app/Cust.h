// The customization dialogs' state: TCustForm for the editor of every
// document window, TPrjCustForm for the project window's tree, and the
// 16-colour grid both use. The main window fills a form from the settings,
// its view shows it and keeps the fields up to date, and OKClick takes the
// values back; the main window then applies them to the open windows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Settings.h"

namespace app {

// The grid's colours by index (0x00BBGGRR): the 16 basic VGA colours.
extern const std::array<int32_t, 16> kGridColors;
// The index of `colour` in the grid (exact match); -1 when it has none.
int GridIndexOf(int32_t colour);

// A grid's foreground and background. A colour that is none of the 16 (a
// hand-edited value, or a system colour such as the project window's
// defaults) has no cell: it is shown as it is and kept until the user picks
// a cell, so OK never turns it into black.
class TColorChoice {
public:
    TColorChoice() = default;
    TColorChoice(int32_t foreground, int32_t background) : fg_(foreground), bg_(background) {}
    int ForegroundIndex() const { return GridIndexOf(fg_); }
    int BackgroundIndex() const { return GridIndexOf(bg_); }
    // Out-of-range indexes are ignored.
    void SetForegroundIndex(int index);
    void SetBackgroundIndex(int index);
    int32_t Foreground() const { return fg_; }
    int32_t Background() const { return bg_; }

private:
    int32_t fg_ = 0;
    int32_t bg_ = 0xFFFFFF;
};

// An installed font face as the desktop reports it.
struct TFontFace {
    std::string name;
    bool fixedPitch = false;
    bool japanese = false;
};
// The editor's list: fixed-pitch faces that can show Japanese; the project
// window's: every face. Both leave out vertical faces ("@" names) and come
// sorted without repeats.
std::vector<std::string> EditorFontNames(const std::vector<TFontFace>& faces);
std::vector<std::string> ProjectFontNames(const std::vector<TFontFace>& faces);

// The choice of a font name from a list, shared by both dialogs.
class TFontNameChoice {
public:
    // The list, and the entry equal to `current`, else "ＭＳ ゴシック", else
    // none. A current name that is not installed is listed anyway, so that
    // the setting is shown and kept rather than lost.
    void Fill(std::vector<std::string> names, const std::string& current);
    const std::vector<std::string>& Names() const { return names_; }
    int index = -1;
    // The chosen name; the current one while nothing is chosen.
    std::string Name() const;

private:
    std::vector<std::string> names_;
    std::string current_;
};

class TCustForm {
public:
    static constexpr const char* kCaption = "カスタマイズ ｴﾃﾞｨﾀの設定";
    static constexpr const char* kSample = "Aaあぁアァ亜012";
    enum Page { pgText, pgSelect, pgComment, pgReserve, pgSymbol, kColorPages };
    // Page captions and hints, in page order; the last is "Other..".
    static const std::array<const char*, kColorPages + 1> kPageCaptions;
    static const std::array<const char*, kColorPages + 1> kPageHints;
    static const std::vector<int>& FontSizes();  // 8 .. 32
    static const std::vector<int>& TabSteps();   // 2, 4, 6, 8
    static constexpr int kWrapMin = 20, kWrapMax = 250;

    void FormShow(const TSettings& settings, const std::vector<TFontFace>& faces);

    TFontNameChoice font;
    int sizeIndex = 0;  // into FontSizes()
    int tabIndex = 0;   // into TabSteps()
    std::array<TColorChoice, kColorPages> colors;
    bool wordWrap = false;
    int wrapWidth = 80;  // taken even while word wrap is off
    bool lineNumbers = false;
    bool ruler = false;
    bool wheelByLine = true;
    // The page shown last: the dialog is reused and opens where it was left.
    int page = pgText;

    bool WrapWidthEnabled() const { return wordWrap; }
    // The sample label: the chosen font, in the text page's colours.
    int SampleSize() const;

    void OKClick(TSettings& settings) const;
};

class TPrjCustForm {
public:
    static constexpr const char* kCaption = "カスタマイズ ﾌﾟﾛｼﾞｪｸﾄｳｨﾝﾄﾞｳの設定";
    static const std::vector<int>& FontSizes();  // 8 .. 20, 22

    void FormShow(const TSettings& settings, const std::vector<TFontFace>& faces);

    TFontNameChoice font;
    int sizeIndex = 0;
    TColorChoice colors;

    void OKClick(TSettings& settings) const;
};

}  // namespace app
