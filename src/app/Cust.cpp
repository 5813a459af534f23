#include "app/Cust.h"

#include <algorithm>

namespace app {

namespace {

constexpr int32_t Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// The entry equal to `value`, else the one equal to `fallback`; 0 when neither.
int IndexOf(const std::vector<int>& list, int value, int fallback) {
    auto it = std::find(list.begin(), list.end(), value);
    if (it == list.end()) it = std::find(list.begin(), list.end(), fallback);
    return it == list.end() ? 0 : static_cast<int>(it - list.begin());
}

int At(const std::vector<int>& list, int index) {
    return list[static_cast<size_t>(std::clamp(index, 0, static_cast<int>(list.size()) - 1))];
}

std::vector<std::string> SortedNames(const std::vector<TFontFace>& faces, bool editor) {
    std::vector<std::string> names;
    for (const TFontFace& f : faces) {
        if (f.name.empty() || f.name[0] == '@') continue;
        if (editor && !(f.fixedPitch && f.japanese)) continue;
        names.push_back(f.name);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace

const std::array<int32_t, 16> kGridColors = {
    Rgb(0, 0, 0),       Rgb(128, 0, 0),   Rgb(0, 128, 0),   Rgb(128, 128, 0),
    Rgb(0, 0, 128),     Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(192, 192, 192),
    Rgb(128, 128, 128), Rgb(255, 0, 0),   Rgb(0, 255, 0),   Rgb(255, 255, 0),
    Rgb(0, 0, 255),     Rgb(255, 0, 255), Rgb(0, 255, 255), Rgb(255, 255, 255),
};

int GridIndexOf(int32_t colour) {
    auto it = std::find(kGridColors.begin(), kGridColors.end(), colour);
    return it == kGridColors.end() ? -1 : static_cast<int>(it - kGridColors.begin());
}

void TColorChoice::SetForegroundIndex(int index) {
    if (index >= 0 && index < 16) fg_ = kGridColors[static_cast<size_t>(index)];
}

void TColorChoice::SetBackgroundIndex(int index) {
    if (index >= 0 && index < 16) bg_ = kGridColors[static_cast<size_t>(index)];
}

std::vector<std::string> EditorFontNames(const std::vector<TFontFace>& faces) { return SortedNames(faces, true); }
std::vector<std::string> ProjectFontNames(const std::vector<TFontFace>& faces) { return SortedNames(faces, false); }

void TFontNameChoice::Fill(std::vector<std::string> names, const std::string& current) {
    current_ = current;
    if (!current.empty() && std::find(names.begin(), names.end(), current) == names.end()) {
        names.push_back(current);
        std::sort(names.begin(), names.end());
    }
    names_ = std::move(names);
    auto it = std::find(names_.begin(), names_.end(), current);
    if (it == names_.end()) it = std::find(names_.begin(), names_.end(), kDefaultFontName);
    index = it == names_.end() ? -1 : static_cast<int>(it - names_.begin());
}

std::string TFontNameChoice::Name() const {
    return index >= 0 && index < static_cast<int>(names_.size()) ? names_[static_cast<size_t>(index)] : current_;
}

// ---- Editor dialog ------------------------------------------------------------

const std::array<const char*, TCustForm::kColorPages + 1> TCustForm::kPageCaptions = {
    "本文", "選択", "コメント", "予約語", "ｼﾝﾎﾞﾙ", "Other.."};
const std::array<const char*, TCustForm::kColorPages + 1> TCustForm::kPageHints = {
    "ｴﾃﾞｨﾀ本文の色を指定",          "ｴﾃﾞｨﾀの選択部分の色を指定",       "ｴﾃﾞｨﾀのｺﾒﾝﾄの色を指定",
    "ｴﾃﾞｨﾀのVeskC予約語の色を指定", "ｴﾃﾞｨﾀの記号などｼﾝﾎﾞﾙの色を指定", "ｴﾃﾞｨﾀ上で折り返すかどうかの設定"};

const std::vector<int>& TCustForm::FontSizes() {
    static const std::vector<int> sizes = [] {
        std::vector<int> v;
        for (int i = 8; i <= 32; ++i) v.push_back(i);
        return v;
    }();
    return sizes;
}

const std::vector<int>& TCustForm::TabSteps() {
    static const std::vector<int> steps = {2, 4, 6, 8};
    return steps;
}

void TCustForm::FormShow(const TSettings& s, const std::vector<TFontFace>& faces) {
    tabIndex = IndexOf(TabSteps(), s.tabSize, 4);
    sizeIndex = IndexOf(FontSizes(), s.fontSize, 13);
    font.Fill(EditorFontNames(faces), s.fontName);
    colors[pgText] = {s.edtColor, s.edtBkColor};
    colors[pgSelect] = {s.selColor, s.selBkColor};
    colors[pgComment] = {s.cmnColor, s.cmnBkColor};
    colors[pgReserve] = {s.rsvColor, s.rsvBkColor};
    colors[pgSymbol] = {s.symColor, s.symBkColor};
    wordWrap = s.wordWrap;
    // The number box cannot show a width outside its range.
    wrapWidth = std::clamp(s.wordWrapByte, kWrapMin, kWrapMax);
    lineNumbers = s.lineNumbers;
    ruler = s.ruler;
    wheelByLine = s.wheelByLine;
}

int TCustForm::SampleSize() const { return At(FontSizes(), sizeIndex); }

void TCustForm::OKClick(TSettings& s) const {
    s.fontName = font.Name();
    s.fontSize = At(FontSizes(), sizeIndex);
    s.tabSize = At(TabSteps(), tabIndex);
    s.edtColor = colors[pgText].Foreground();
    s.edtBkColor = colors[pgText].Background();
    s.selColor = colors[pgSelect].Foreground();
    s.selBkColor = colors[pgSelect].Background();
    s.cmnColor = colors[pgComment].Foreground();
    s.cmnBkColor = colors[pgComment].Background();
    s.rsvColor = colors[pgReserve].Foreground();
    s.rsvBkColor = colors[pgReserve].Background();
    s.symColor = colors[pgSymbol].Foreground();
    s.symBkColor = colors[pgSymbol].Background();
    s.wordWrap = wordWrap;
    s.wordWrapByte = std::clamp(wrapWidth, kWrapMin, kWrapMax);
    s.lineNumbers = lineNumbers;
    s.ruler = ruler;
    s.wheelByLine = wheelByLine;
}

// ---- Project window dialog ----------------------------------------------------------

const std::vector<int>& TPrjCustForm::FontSizes() {
    static const std::vector<int> sizes = {8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 22};
    return sizes;
}

void TPrjCustForm::FormShow(const TSettings& s, const std::vector<TFontFace>& faces) {
    sizeIndex = IndexOf(FontSizes(), s.projectFontSize, 13);
    font.Fill(ProjectFontNames(faces), s.projectFontName);
    colors = {s.projectFontColor, s.projectFontBkColor};
}

void TPrjCustForm::OKClick(TSettings& s) const {
    s.projectFontName = font.Name();
    s.projectFontSize = At(FontSizes(), sizeIndex);
    s.projectFontColor = colors.Foreground();
    s.projectFontBkColor = colors.Background();
}

}  // namespace app
