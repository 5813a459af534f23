#include "editor/EditorStrings.h"

#include "editor/Editor.h"

namespace editor {

namespace {
constexpr std::string_view kCrLf = "\r\n";
}

TEditorScreenStrings& TEditorStrings::Store() const { return editor_.Store(); }

void TEditorStrings::CheckIndex(int i, int limit) const {
    if (i < 0 || i > limit) throw platform::EListError(i);
}

int TEditorStrings::Count() const { return Store().LineCount(); }

int TEditorStrings::FirstRow(int line) const {
    const TEditorScreenStrings& s = Store();
    if (!s.WordWrap()) return line;
    return s.RowOfLine(line);
}

std::string TEditorStrings::Get(int i) const {
    CheckIndex(i, Count() - 1);
    const TEditorScreenStrings& s = Store();
    if (!s.WordWrap()) return s.Get(i);
    std::string text = s.GatherText(FirstRow(i), -1).text;
    while (text.size() >= 2 && text.compare(text.size() - 2, 2, kCrLf) == 0) text.resize(text.size() - 2);
    return text;
}

void TEditorStrings::Put(int i, std::string_view t) {
    CheckIndex(i, Count() - 1);
    TEditorScreenStrings& s = Store();
    editor_.ClearSelection();
    int a = FirstRow(i);
    int b = s.LastRowOfLine(a);
    std::string text(t);
    if (s.GetRowAttribute(b) == raLineBreak) text += kCrLf;
    int64_t caret = s.RowOffset(a) + static_cast<int64_t>(text.size());
    s.ReplaceRows(a, b - a + 1, text);
    editor_.SetCaretOffset(0, caret);
}

void TEditorStrings::Insert(int i, std::string_view t) {
    CheckIndex(i, Count());
    TEditorScreenStrings& s = Store();
    int a = FirstRow(i);
    if (a >= s.Count()) {
        Add(t);
        return;
    }
    editor_.ClearSelection();
    std::string text(t);
    text += kCrLf;
    int64_t caret = s.RowOffset(a) + static_cast<int64_t>(text.size());
    s.ReplaceRows(a, 0, text);
    editor_.SetCaretOffset(0, caret);
}

int TEditorStrings::Add(std::string_view t) {
    TEditorScreenStrings& s = Store();
    int before = Count();
    editor_.ClearSelection();
    int rows = s.Count();
    if (rows > 0 && s.GetRowAttribute(rows - 1) != raLineBreak) {
        // The last line has no line break yet: the new line becomes the unterminated one.
        int last = rows - 1;
        std::string text(s.Text(last));
        text += kCrLf;
        text += t;
        int64_t caret = s.RowOffset(last) + static_cast<int64_t>(text.size());
        s.ReplaceRows(last, 1, text);
        editor_.SetCaretOffset(0, caret);
    } else {
        std::string text(t);
        text += kCrLf;
        int64_t caret = s.RowOffset(rows) + static_cast<int64_t>(text.size());
        s.ReplaceRows(rows, 0, text);
        editor_.SetCaretOffset(0, caret);
    }
    return before;
}

void TEditorStrings::Delete(int i) {
    CheckIndex(i, Count() - 1);
    TEditorScreenStrings& s = Store();
    editor_.ClearSelection();
    int a = FirstRow(i);
    int b = s.LastRowOfLine(a);
    s.ReplaceRows(a, b - a + 1, std::string_view());
    editor_.SetRowCol(a, 0);
}

void TEditorStrings::Clear() { Store().Clear(); }

std::string TEditorStrings::GetTextStr() const { return Store().GetText(); }

void TEditorStrings::SetTextStr(std::string_view text) { SetText(text); }

TLoadReport TEditorStrings::SetText(std::string_view text) {
    return InUpdate([&] { return Store().SetText(text); });
}

void TEditorStrings::Assign(const platform::TStrings& source) {
    if (&source == this) return;
    SetTextStr(source.GetTextStr());
    editor_.SetRowCol(Store().Count(), 0);
}

TLoadReport TEditorStrings::LoadFromFile(const std::string& path) {
    return InUpdate([&] { return Store().LoadFromFile(path); });
}

TLoadReport TEditorStrings::InUpdate(const std::function<TLoadReport()>& replace) {
    BeginUpdate();
    TLoadReport report;
    try {
        report = replace();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return report;
}

platform::FileStamp TEditorStrings::SaveToFile(const std::string& path) const { return Store().SaveToFile(path); }

void TEditorStrings::BeginUpdate() {
    if (updateCount_++ == 0) Store().BeginUpdate();
}

void TEditorStrings::EndUpdate() {
    if (updateCount_ <= 0) return;
    if (--updateCount_ == 0) Store().EndUpdate();
}

}  // namespace editor
