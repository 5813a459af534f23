// The templates of the Edit menu: loaded at start, inserted, added.
#include <algorithm>

#include "app/MainForm.h"
#include "platform/FileIO.h"
#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace app {

namespace {
constexpr std::string_view kTemplateFile = "Template.TXT";
}

void TMainForm::LoadTemplates() {
    templates_.clear();
    std::optional<std::string> path = platform::FindFileInFolder(programFolder_, kTemplateFile);
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
    std::optional<std::string> text = clipboard_.GetText(nullptr);
    if (!text) return;
    std::optional<std::string> title =
        ui_.InputBox("定型文タイトルの指定", "登録する定型文のタイトルを入力してください", "");
    if (!title) return;

    TTemplate tpl{"[" + platform::Utf8ToSjis(*title) + "]", SplitTextLines(*text)};
    templates_.push_back(tpl);
    NotifyState();

    // The file is rewritten as a whole through a safe save, so a failed
    // append never leaves it cut short; an unreadable file is left alone.
    std::string path = platform::ResolveFixedFile(programFolder_, kTemplateFile);
    try {
        std::string existing;
        if (platform::StampOf(path)) existing = platform::ReadWholeFile(path);
        platform::WriteFileSafely(path, AppendTemplateBytes(existing, tpl));
    } catch (const std::exception& e) {
        ui_.MessageBox("定型文をファイルに追加できません。\n" + std::string(e.what()), "エラー",
                       platform::MsgKind::Error, platform::MsgButtons::Ok);
    }
}

}  // namespace app
