// The templates of the Edit menu: loaded at start, inserted, added.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/MainForm.h"
#include "platform/FileIO.h"
#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace app {

namespace {
constexpr std::string_view kTemplateFile = "Template.TXT";
}

namespace {

// The user's own copy where the program folder may not be written, once a
// template was added; the file shipped beside the program until then.
std::optional<std::string> TemplateFileToRead(const std::string& programFolder) {
    std::string own = WritableFileFor(programFolder, kTemplateFile);
    if (platform::StampOf(own)) return own;
    return platform::FindFileInFolder(programFolder, kTemplateFile);
}

}  // namespace

void TMainForm::LoadTemplates() {
    templates_.clear();
    std::optional<std::string> path = TemplateFileToRead(programFolder_);
    templatesAvailable_ = path.has_value();
    if (!path) return;
    try {
        templates_ = ParseTemplates(platform::ReadWholeFile(*path));
    } catch (const std::exception& e) {
        ui_.MessageBox("定型文ファイルを読み込めません。\n" + std::string(e.what()), "警告",
                       platform::MsgKind::Warning, platform::MsgButtons::Ok);
    }
}

void TMainForm::TemplateClick(std::string_view caption) {
    TMDIChild* doc = ActiveDocument();
    if (!doc) return;
    const TTemplate* tpl = FindTemplate(templates_, caption);
    if (!tpl) return;
    editor::TEditor& ed = doc->Editor1();
    int line = ed.Row();
    // The caret's row counted as lines.
    if (ed.WordWrap()) line = ed.Store().LinesBefore(std::min(ed.Row(), ed.RowCount()));
    line = std::min(line, ed.Lines().Count());
    for (size_t j = 0; j < tpl->lines.size(); ++j) ed.Lines().Insert(line + static_cast<int>(j), tpl->lines[j]);
}

void TMainForm::A1Click() {
    if (TMDIChild* doc = ActiveDocument(); doc && doc->Editor1().Selected()) doc->Editor1().CopyToClipboard();
    const std::string clip = ui_.ClipboardText();
    if (clip.empty()) return;
    platform::EncodeResult text = platform::EncodeSjis(clip);
    if (!text.ok()) {
        ui_.MessageBox("クリップボードの文字列にはShift-JISで表せない文字が含まれているため、定型文に追加できません。\n" +
                           text.unconvertible,
                       "警告", platform::MsgKind::Warning, platform::MsgButtons::Ok);
        return;
    }
    std::optional<std::string> title =
        ui_.InputBox("定型文タイトルの指定", "登録する定型文のタイトルを入力してください", "");
    if (!title) return;

    TTemplate tpl{"[" + platform::Utf8ToSjis(*title) + "]", SplitTextLines(text.bytes)};
    templates_.push_back(tpl);
    NotifyState();

    // The file is rewritten as a whole through a safe save, so a failed
    // append never leaves it cut short; an unreadable file is left alone.
    // Where the program folder may not be written, the first add copies the
    // shipped file into the user's own.
    const std::string path = WritableFileFor(programFolder_, kTemplateFile);
    try {
        std::string existing;
        if (std::optional<std::string> from = TemplateFileToRead(programFolder_)) existing = platform::ReadWholeFile(*from);
        std::error_code ignored;
        std::filesystem::create_directories(platform::ExtractFilePath(path), ignored);
        platform::WriteFileSafely(path, AppendTemplateBytes(existing, tpl));
    } catch (const std::exception& e) {
        ui_.MessageBox("定型文をファイルに追加できません。\n" + std::string(e.what()), "エラー",
                       platform::MsgKind::Error, platform::MsgButtons::Ok);
    }
}

}  // namespace app
