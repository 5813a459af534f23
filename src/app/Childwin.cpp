#include "app/Childwin.h"

#include <algorithm>
#include <cstdio>

#include "app/Cust.h"
#include "app/MainForm.h"
#include "platform/FileIO.h"
#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace app {

namespace {

constexpr int kVkF1 = 112;

std::string Format(const char* fmt, int a, int b = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

void WarnNulBytes(platform::Ui& ui, const std::string& path, size_t count) {
    if (count == 0) return;
    ui.MessageBox(path + "\nにはNUL文字が " + std::to_string(count) +
                      " 個含まれていました。空白に置き換えて表示しています。保存すると置き換えた空白が書き込まれます。",
                  "警告", platform::MsgKind::Warning, platform::MsgButtons::Ok);
}

std::string LinesPanel(const editor::TEditor& ed) { return Format("%4d Lines", ed.Lines().Count()); }

// Reserved words of the document windows, after one empty entry.
const char* const kReservedWords[] = {
    "", "--", "!", "!=", "%", "%=", "&", "&&", "&=", "*=", "/=", ";", "^", "^=", "_myversion", "_osbuild",
    "_osversion", "_platform", "||", "|=", "++", "+=", "<", "<<", "<<=", "<=", "=", "-=", "=!", "=~", "==", ">",
    "->", ">=", ">>", ">>=", "\\\\", "\\n", "\\r", "\\t", "0x", "auto", "BOOL", "break", "BYTE", "CALLBACK",
    "case", "char", "class", "clock_t", "cond", "continue", "default", "define", "do", "DOS_EOF", "DWORD", "else",
    "endif", "EOF", "EXIT_SUCCESS", "extern", "FALSE", "FILE", "FILENAME_MAX", "final", "for", "foreach", "goto",
    "HANDLE", "HINSTANCE", "HIWORD", "HTTP", "HWND", "if", "ifdef", "ifndef", "include", "INET", "init", "int",
    "intern", "LEGDATA", "LONG", "LOWORD", "LPARAM", "LPCSTR", "LPCTSTR", "LPSTR", "LPVOID", "LRESULT", "main",
    "new", "NODATA", "NULL", "PCHAR", "PCSTR", "PCTSTR", "PHANDLE", "PLONG", "private", "protected", "PSTR",
    "ptrdiff_t", "public", "PVOID", "re_group", "REGEX", "return", "setup", "size_t", "sizeof", "static", "str",
    "string", "struct", "switch", "TCHAR", "terminated", "time_t", "TRUE", "typedef", "undef", "union", "UNIT",
    "va_list", "void", "wait", "while", "WPARAM",
};

}  // namespace

const std::vector<PopupItemInfo>& PopupItems() {
    static const std::vector<PopupItemInfo> items = {
        {PopupItem::Cut, "切り取り(&T)", "Ctrl+X", false, false},
        {PopupItem::Copy, "コピー(&C)...", "Ctrl+C", false, false},
        {PopupItem::Paste, "貼り付け(&P)", "Ctrl+V", false, false},
        {PopupItem::Indent, "ｲﾝﾃﾞﾝﾄ(&I)", "Ctrl+Alt+I", false, true},
        {PopupItem::Unindent, "逆ｲﾝﾃﾞﾝﾄ(&N)", "Ctrl+Alt+U", false, false},
        {PopupItem::Bracket, "対応する括弧の検索(&K)", "Ctrl+E", false, true},
        {PopupItem::Undo, "元に戻す(&U)", "Ctrl+Z", false, true},
        {PopupItem::Redo, "やり直し(&R)", "Ctrl+Alt+Z", false, false},
        {PopupItem::InsertFile, "ｶｰｿﾙ行にﾌｧｲﾙを読み込み(&F)", "Ctrl+G", false, true},
        {PopupItem::Save, "上書き保存(&S)", "Ctrl+S", true, false},
        {PopupItem::SaveAs, "名前をつけて保存(&A)...", "", true, false},
        {PopupItem::Customize, "ｶｽﾀﾏｲｽﾞ(&S)...", "", false, true},
        {PopupItem::BoxSelection, "矩形選択(&B)", "", false, true},
        {PopupItem::LineNumbers, "行番号の表示(&L)", "", false, false},
        {PopupItem::Ruler, "ルーラーの表示(&O)", "", false, false},
    };
    return items;
}

TMDIChild::TMDIChild(TMainForm& main, platform::Ui& ui)
    : TMdiChildForm(ChildKind::Document), main_(main), ui_(ui), editor_(std::make_unique<editor::TEditor>()) {
    // FormCreate
    editor_->OnCaretMoved = [this](editor::TEditor&) { CaretMoved(); };
    editor_->OnChange = [this](editor::TEditor&) { Editor1Change(); };
    // The window shows its own menu on the right button; the editor's
    // menu keeps its shortcuts.
    editor_->PopupMenu().SetAutoPopup(false);
    editor_->Lines().Clear();
    editor_->SetModified(false);
    panels_[2] = "挿入";
    changed_ = false;
    journal_ = std::make_unique<TDocumentJournal>(editor_->Store(), main_.RecoveryFolderPath(), [this] {
        platform::JournalHeader h;
        h.document = Caption();
        h.untitled = IsUntitled(Caption());
        if (!h.untitled && stampPath_ == Caption()) h.stamp = diskStamp_;
        return h;
    });
    words_ = std::make_unique<TWordIndex>(editor_->Store());
    completion_ = std::make_unique<TCompletion>(
        *editor_, [this](std::string_view prefix) { return main_.CompletionCandidates(prefix, *editor_); });
    completion_->OnBeep = [this] { ui_.Beep(); };
    // A library name completed shows its hint, as Ctrl+F1 would.
    completion_->OnInserted = [this](const TCompletionItem& item) {
        if (!item.hint.empty() && !main_.Lookup(item.word).empty()) ShowKeywordHint(item.word, false);
    };
}

// A window that goes without its FormClose (a fault) keeps its journal.
TMDIChild::~TMDIChild() = default;

void TMDIChild::SetPanel(int i, const std::string& text) {
    if (panels_[static_cast<size_t>(i)] == text) return;
    panels_[static_cast<size_t>(i)] = text;
    Changed();
}

void TMDIChild::Configure(TSettings& s) {
    editor::TEditorProperties& p = editor_->Properties();

    if (s.fontSize > 32 || s.fontSize < 8) s.fontSize = 13;
    p.font.color = editor::clBlack;
    p.font.shiftJisCharset = true;

    editor::TEditorCaret caret;
    caret.autoCursor = caret.autoIndent = caret.backSpaceUnIndent = caret.inTab = caret.nextLine = true;
    caret.prevSpaceIndent = caret.rowSelect = caret.selMove = caret.softTab = true;
    caret.freeCaret = caret.freeRow = caret.keepCaret = caret.lockScroll = caret.tabIndent = false;
    caret.selDragMode = editor::dmAutomatic;
    caret.style = editor::csDefault;
    editor_->SetCaret(caret);

    // The colouring definition: one bracket pair for block comments, "//"
    // comments, double-quoted strings; plain text, double-byte text,
    // numbers, strings, URLs and mail share the text colours.
    editor::TEditorViewInfo& view = editor_->View();
    view.BeginUpdate();
    editor::TEditorColors c = view.Colors();
    c.hit = {};
    view.SetColors(c);
    view.SetBrackets({{"/*", "*/", {s.cmnBkColor, s.cmnColor, 0}}});
    view.SetCommenter("//");
    view.SetControlCode(false);
    view.SetHexPrefix("0x;0X");
    view.SetMail(false);
    view.SetQuotation("\"");
    view.SetUrl(false);
    editor_->SetReserveWordList(std::vector<std::string>(std::begin(kReservedWords), std::end(kReservedWords)));
    view.EndUpdate();

    p.hitStyle = editor::hsSelect;
    p.readOnly = false;
    p.scrollBars = editor::ssBoth;
    p.wantReturns = p.wantTabs = true;
    editor_->SetUndoListMax(64);
    editor_->SetImagebar({8, 2, 0, 2, false});
    editor::TEditorMarks marks;
    for (editor::TEditorMark* mk : {&marks.eofMark, &marks.retMark, &marks.wrapMark, &marks.underline})
        *mk = {editor::clGray, true};
    marks.hideMark = {editor::clGray, false};
    editor_->SetMarks(marks);
    editor_->SetMargin({0, 4, 0, 4});
    editor::TEditorLeftbar bar;
    bar.bkColor = editor::clBtnFace;
    bar.color = editor::clWindowText;
    bar.column = 4;
    bar.edge = true;
    bar.leftMargin = 0;
    bar.rightMargin = 1;
    bar.showNumber = true;
    bar.showNumberMode = editor::nmRow;
    editor_->SetLeftbar(bar);
    editor::TEditorRuler ruler;
    ruler.bkColor = editor::clBtnFace;
    ruler.color = ruler.markColor = editor::clWindowText;
    ruler.edge = true;
    ruler.gaugeRange = 10;
    editor_->SetRuler(ruler);
    editor_->SetSpeed({2, false, 2, 2});

    editor_->SetWrapOption(editor::TEditorWrapOption());
    ApplySettings(s);
}

void TMDIChild::ApplySettings(const TSettings& s) {
    editor::TEditor& ed = *editor_;
    editor::TEditorFont font = ed.Properties().font;
    font.size = s.fontSize;
    font.name = s.fontName;
    ed.SetFont(font);
    ed.SetTabWidth(s.tabSize);

    // Plain text, double-byte text, numbers, strings, URLs and mail share
    // the text colours; the block comment bracket takes the comment's.
    editor::TEditorViewInfo& view = ed.View();
    view.BeginUpdate();
    editor::TEditorColors c = view.Colors();
    for (editor::TFountainColor* k : {&c.ank, &c.dbcs, &c.integer, &c.str, &c.url, &c.mail}) {
        k->color = s.edtColor;
        k->bkColor = s.edtBkColor;
    }
    c.select = {s.selBkColor, s.selColor, 0};
    c.comment = {s.cmnBkColor, s.cmnColor, 0};
    c.reserve = {s.rsvBkColor, s.rsvColor, 0};
    c.symbol = {s.symBkColor, s.symColor, 0};
    view.SetColors(c);
    std::vector<editor::TFountainBracketItem> brackets = view.Brackets();
    if (!brackets.empty()) {
        brackets.front().itemColor = {s.cmnBkColor, s.cmnColor, 0};
        view.SetBrackets(brackets);
    }
    view.EndUpdate();
    ed.SetColor(s.edtBkColor);

    editor::TEditorLeftbar bar = ed.Properties().leftbar;
    bar.visible = s.lineNumbers;
    ed.SetLeftbar(bar);
    editor::TEditorRuler ruler = ed.Properties().ruler;
    ruler.visible = s.ruler;
    ed.SetRuler(ruler);

    ed.WrapOption().SetWrapByte(s.wordWrapByte);
    ed.SetWordWrap(s.wordWrap);
    // A new TAB width or wrap setting may have emptied the histories.
    CheckUndoState();
    Changed();
}

bool TMDIChild::LoadDocument(const std::string& path) {
    editor::TLoadReport report;
    try {
        report = editor_->Lines().LoadFromFile(path);
    } catch (const std::exception& e) {
        ui_.MessageBox("ファイルを読み込めません。\n" + std::string(e.what()), "エラー", platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
        return false;
    }
    diskStamp_ = report.stamp;
    stampPath_ = path;
    toldOfDisk_ = false;
    panels_[1] = LinesPanel(*editor_);
    changed_ = false;
    Changed();
    WarnNulBytes(ui_, path, report.nulBytes);
    return true;
}

bool TMDIChild::SaveDocument() {
    const std::string path = Caption();
    if (stampPath_ == path) {
        // Bound without a stamp: there was no file there when the window
        // opened, so a file there now is another program's.
        std::optional<platform::FileStamp> now = platform::StampOf(path);
        const char* question = diskStamp_ && !now ? "\nは他のプログラムによって削除または移動されています。保存しますか?"
                               : now && now != diskStamp_ ? "\nは他のプログラムによって変更されています。上書きしますか?"
                                                          : nullptr;
        if (question && ui_.MessageBox(path + question, "確認", platform::MsgKind::Confirmation,
                                       platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
            return false;
    }
    try {
        diskStamp_ = editor_->Lines().SaveToFile(path);
        stampPath_ = path;
        journal_->Discard();
        toldOfDisk_ = false;
    } catch (const std::exception& e) {
        ui_.MessageBox("ファイルを保存できません。\n" + std::string(e.what()), "エラー", platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
        return false;
    }
    // Laying the rows out anew also empties the undo history; the rows come
    // back the same, so the user stays where they were.
    editor::TEditor::TViewState where = editor_->SaveViewState();
    bool wrap = editor_->WordWrap();
    editor_->SetWordWrap(!wrap);
    editor_->SetWordWrap(wrap);
    editor_->RestoreViewState(where);
    changed_ = false;
    panels_[3].clear();
    Changed();
    CheckUndoState();
    return true;
}

TMDIChild::DiskChange TMDIChild::PendingDiskChange() const {
    // Only a window that read or wrote the file it is named after knows
    // what the file was.
    if (!diskStamp_ || stampPath_ != Caption()) return DiskChange::None;
    std::optional<platform::FileStamp> now = platform::StampOf(stampPath_);
    if (now == diskStamp_ || (toldOfDisk_ && now == toldStamp_)) return DiskChange::None;
    return now ? DiskChange::Modified : DiskChange::Gone;
}

void TMDIChild::DiskChangeTold() {
    toldOfDisk_ = true;
    toldStamp_ = platform::StampOf(stampPath_);
}

bool TMDIChild::ReloadFromDisk() {
    platform::FileBlock block;
    try {
        block = platform::ReadFileBlock(stampPath_);
    } catch (const std::exception& e) {
        DiskChangeTold();
        ui_.MessageBox("ファイルを読み込めません。\n" + std::string(e.what()), "エラー", platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
        return false;
    }
    size_t size = block.size;
    editor::TLoadReport report = editor::PrepareFileText(block.data.get(), &size);
    editor::TEditor& ed = *editor_;
    const editor::TEditor::TViewState where = ed.SaveViewState();
    // One replacement of every row: one undo step gives the old text back.
    if (ed.RowCount() > 0 || size > 0) ed.Store().ReplaceRows(0, ed.RowCount(), std::string_view(block.data.get(), size));
    // The marks stay on their rows, the caret and the top row where they were.
    for (int r = 0; r < ed.RowCount(); ++r)
        if (ed.RowMarks(r) != 0) ed.SetRowMarks(r, 0);
    for (const auto& [row, marks] : where.marks) ed.SetRowMarks(row, marks);
    ed.SetTopRow(std::clamp(where.topRow, 0, ed.MaxTopRow()));
    ed.SetLeftColumn(where.leftCol);
    ed.SetRowCol(where.row, where.col);
    diskStamp_ = block.stamp;
    toldOfDisk_ = false;
    changed_ = false;
    // The text is the file's again: nothing is left to recover.
    journal_->Discard();
    panels_[1] = LinesPanel(ed);
    panels_[3].clear();
    panels_[4] = "ディスク上で変更されたため再読み込みしました";
    Changed();
    CheckUndoState();
    WarnNulBytes(ui_, stampPath_, report.nulBytes);
    return true;
}

void TMDIChild::MarkFileGone() {
    changed_ = true;
    panels_[3] = "(変更有り)";
    Changed();
}

TFilePlace TMDIChild::Place() const { return {editor_->Row(), editor_->Col(), editor_->TopRow()}; }

void TMDIChild::GoToPlace(const TFilePlace& place) {
    editor::TEditor& ed = *editor_;
    // The caret first, then the top row as it was; a window laid out
    // smaller than the one the place was taken in still shows the caret.
    // One not laid out yet cannot tell, and keeps the top row.
    ed.SetRowCol(place.row, place.col);
    ed.SetTopRow(std::clamp(place.topRow, 0, ed.MaxTopRow()));
    if (ed.ClientHeight() > 0) ed.ScrollCaretIntoView();
    CaretMoved();
}

void TMDIChild::Zoom(int steps) {
    const std::vector<int>& sizes = TCustForm::FontSizes();
    editor::TEditorFont font = editor_->Properties().font;
    const int size = std::clamp(font.size + steps, sizes.front(), sizes.back());
    if (size != font.size) {
        font.size = size;
        editor_->SetFont(font);
    }
    panels_[4] = "ﾌｫﾝﾄｻｲｽﾞ " + std::to_string(size);
    Changed();
}

bool TMDIChild::FormCloseQuery() {
    if (!changed_) return true;
    return ui_.MessageBox("保存せずに閉じますか?", "確認", platform::MsgKind::Confirmation,
                          platform::MsgButtons::YesNo) == platform::MsgAnswer::Yes;
}

void TMDIChild::FormClose() {
    // Saved or given up: nothing is left to recover.
    journal_->Discard();
    main_.Timer3().SetEnabled(true);
}

void TMDIChild::Editor1Change() {
    completion_->Update();
    changed_ = true;
    panels_[1] = LinesPanel(*editor_);
    panels_[3] = editor_->CanUndo() ? "(変更有り)" : "";
    Changed();
    CheckUndoState();
    std::string failure = journal_->NewFailure();
    if (!failure.empty()) {
        // Told after the edit has ended, not inside it.
        std::weak_ptr<bool> alive = alive_;
        ui_.StartTimer(0, [this, alive, failure] {
            if (alive.expired()) return;
            ui_.MessageBox("編集内容を復元用のファイルに書き込めません:\n" + failure +
                               "\n\nこのまま異常終了すると、保存していない編集内容は失われます。保存してください。",
                           Caption(), platform::MsgKind::Warning, platform::MsgButtons::Ok);
        });
    }
}

void TMDIChild::CheckUndoState() {
    if (canUndo_ == editor_->CanUndo() && canRedo_ == editor_->CanRedo()) return;
    canUndo_ = editor_->CanUndo();
    canRedo_ = editor_->CanRedo();
    main_.UndoStateChanged(*this);
}

void TMDIChild::CaretMoved() {
    completion_->Update();
    if (!editor_->Focused()) return;
    HideHint();
    int line = editor_->Row();
    int col = editor_->Col();
    if (line < 0 || line > 99999 || col < 0 || col > 99999) return;
    SetPanel(0, Format("%5d:%3d", line + 1, col + 1));
}

void TMDIChild::SetEditorFocused(bool focused) {
    editor_->SetFocused(focused);
    if (!focused) {
        completion_->Close();
        return;
    }
    main_.MessageList().SetTarget(editor_->MacroTarget());
    CaretMoved();
}

void TMDIChild::MacroKey(bool play) {
    editor::TMessageList& macro = main_.MessageList();
    if (play) {
        SetPanel(4, "ｷｰﾎﾞｰﾄﾞﾏｸﾛ実行");
        if (OnPaintStatusNow) OnPaintStatusNow();
        // A played key may close this window.
        std::weak_ptr<bool> alive = alive_;
        macro.Play();
        if (!alive.expired()) SetPanel(4, "ｷｰﾎﾞｰﾄﾞﾏｸﾛを実行しました");
        return;
    }
    if (macro.State() == editor::TMessageList::msRecording || macro.State() == editor::TMessageList::msPlaying) {
        SetPanel(4, "ｷｰﾎﾞｰﾄﾞﾏｸﾛ記録終了");
        macro.StopRecord();
    } else {
        macro.Clear();
        SetPanel(4, "ｷｰﾎﾞｰﾄﾞﾏｸﾛ記録開始");
        // The editor records from its window, which the focus made the target.
        if (!macro.Target()) macro.SetTarget(editor_->MacroTarget());
        macro.StartRecord();
    }
}

void TMDIChild::MouseWheel(int delta) {
    if (delta == 0) return;
    int direction = delta > 0 ? -1 : 1;  // away from the user scrolls up
    if (main_.Settings().wheelByLine) editor_->ScrollLines(direction);
    else editor_->ScrollPages(direction);
}

void TMDIChild::InsertFileAtCaretLine() {
    platform::FileDialogOptions o;
    o.title = "読み込むファイルの指定";
    o.initialDir = platform::ExtractFilePath(Caption());
    o.filter = "VeskCﾌｧｲﾙ(*.r,*.h)|*.r;*.h|全てのﾌｧｲﾙ|*.*||";
    o.filterIndex = 1;
    o.defaultExt = "r";
    platform::FileDialogResult r = ui_.OpenDialog(o);
    if (!r.accepted || r.files.empty()) return;

    std::string bytes;
    try {
        bytes = platform::ReadWholeFile(r.files.front());
    } catch (const std::exception& e) {
        ui_.MessageBox("ファイルを読み込めません。\n" + std::string(e.what()), "エラー", platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
        return;
    }
    // The same rules as opening a file: the end-of-file byte, NUL bytes.
    size_t size = bytes.size();
    editor::TLoadReport report = editor::PrepareFileText(bytes.data(), &size);
    bytes.resize(size);
    WarnNulBytes(ui_, r.files.front(), report.nulBytes);
    // The file's lines, each followed by CR LF.
    std::string text;
    text.reserve(bytes.size() + 2);
    size_t i = 0;
    while (i < bytes.size()) {
        size_t j = bytes.find_first_of("\r\n", i);
        if (j == std::string::npos) j = bytes.size();
        text.append(bytes, i, j - i);
        text += "\r\n";
        if (j < bytes.size() && bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n') ++j;
        i = j + 1;
    }
    editor::TEditor& ed = *editor_;
    int line = ed.Row();
    // The caret's row counted as lines.
    if (ed.WordWrap()) line = ed.Store().LinesBefore(std::min(ed.Row(), ed.RowCount()));
    line = std::min(line, ed.Lines().Count());
    ed.Lines().Insert(line, text);
}

bool TMDIChild::Editor1KeyDown(int key, const editor::TKeyState& keys) {
    editor::TEditor& ed = *editor_;
    const bool ctrlOnly = keys.ctrl && !keys.shift && !keys.alt;
    if (!keys.ctrl && !keys.alt && completion_->KeyDown(key, ed.VisibleRows() / 2)) return true;
    if (ctrlOnly && key == ' ') {
        completion_->Open();
        return true;
    }
    if (keys.alt && !keys.ctrl && (key == 'M' || key == 'L')) {
        MacroKey(key == 'L');
        return true;
    }
    if (ctrlOnly && key == 'Y') {
        if (ed.Row() < ed.RowCount()) ed.DeleteRow(ed.Row());
        return true;
    }
    if (ctrlOnly && key == 'E') {
        FindMatchingBracket();
        return true;
    }
    if (ctrlOnly && key == 'G') {
        InsertFileAtCaretLine();
        return true;
    }
    if (ctrlOnly && (key == editor::vkDelete || key == editor::vkBack) && ed.WordWrap() && ed.Row() < ed.RowCount()) {
        // With word wrap on the caret's row is a screen row of a line that
        // may have several: the part of the whole line after (Delete) or
        // before (Backspace) the caret goes in one replacement.
        const editor::TEditorScreenStrings& store = ed.Store();
        const int r = ed.Row();
        const int last = store.LastRowOfLine(r);
        const int64_t caret = store.RowOffset(r) + ed.ByteIndex(r, ed.Col());
        const int64_t lineStart = store.RowOffset(store.FirstRowOfLine(r));
        const int64_t lineEnd = store.RowOffset(last) + static_cast<int64_t>(ed.RowText(last).size());
        const bool forward = key == editor::vkDelete;
        if (forward ? caret < lineEnd : lineStart < caret) {
            ed.SetSel(forward ? caret : lineStart, forward ? lineEnd : caret);
            ed.ReplaceSel("");
        }
        ed.SetSel(forward ? caret : lineStart, forward ? caret : lineStart);
        return true;
    }
    if (ctrlOnly && key == editor::vkDelete) {
        // Line r keeps its first k bytes and an empty line follows; the
        // editor's own Delete then joins them: the rest of the line goes.
        // The last line without a line break gets none: inserted, its first
        // k bytes end the text with a line break, which that Delete removes.
        int r = ed.Row();
        if (r >= ed.RowCount()) return false;
        int k = ed.ByteIndex(r, ed.Col());
        std::string text(ed.RowText(r).substr(0, static_cast<size_t>(k)));
        if (ed.RowAttribute(r) != editor::raEndOfText) text += "\r\n";
        int col = ed.Col();
        ed.DeleteRow(r);
        ed.Lines().Insert(std::min(r, ed.Lines().Count()), text);
        ed.SetRowCol(r, col);
        return false;
    }
    if (ctrlOnly && key == editor::vkBack) {
        int r = ed.Row();
        if (r >= ed.RowCount()) return true;
        const bool last = ed.RowAttribute(r) == editor::raEndOfText;
        int k = ed.ByteIndex(r, ed.Col());
        std::string text(ed.RowText(r).substr(std::min(static_cast<size_t>(k), ed.RowText(r).size())));
        ed.DeleteRow(r);
        ed.Lines().Insert(std::min(r, ed.Lines().Count()), text);
        if (last) {
            // Added at the end, the line got a line break the text did not have.
            const int end = ed.RowCount() - 1;
            ed.SetRowCol(end, ed.EndColumn(end));
            ed.DeleteKey();
        }
        ed.SetRowCol(r, 0);
        return true;
    }
    if (keys.ctrl && keys.shift && !keys.alt && (key == 'I' || key == 'U')) {
        if (ed.Selected()) {
            if (key == 'I') ed.IndentSelection();
            else ed.UnindentSelection();
        }
        return true;
    }
    if (key == kVkF1 && keys.shift && !keys.ctrl) {
        std::string word = ed.Selected() ? ed.SelectedText() : ed.TokenAtCaret(true);
        main_.ProgramHelpKeyword(word);
        return true;
    }
    if (key == kVkF1 && keys.ctrl && !keys.shift) {
        ShowKeywordHint(ed.TokenAtCaret(false), false);
        return true;
    }
    if (key == editor::vkInsert) {
        ed.SetOverwrite(!ed.Overwrite());
        editor::TEditorCaret caret = ed.Caret();
        caret.style = ed.Overwrite() ? editor::csBrief : editor::csDefault;
        ed.SetCaret(caret);
        SetPanel(2, ed.Overwrite() ? "上書き" : "挿入");
        return true;
    }
    return false;
}

bool TMDIChild::TakesKey(int key, const editor::TKeyState& keys) {
    if (key == kVkF1) return keys.shift != keys.ctrl;
    if (keys.alt && !keys.ctrl) return key == 'M' || key == 'L';
    if (!keys.ctrl || keys.alt) return false;
    if (keys.shift) return key == 'I' || key == 'U';
    return key == 'Y' || key == 'E' || key == ' ' || key == editor::vkDelete || key == editor::vkBack;
}

bool TMDIChild::Editor1MouseDown(editor::TMouseButton button, int x, int y, const editor::TKeyState& keys) {
    editor::TEditor& ed = *editor_;
    if (button == editor::TMouseButton::Right && keys.ctrl) {
        // A right press leaves the caret alone, so the word pointed at is
        // the one under the mouse.
        int col = 0, row = 0;
        ed.PositionFromPoint(x, y, false, &col, &row);
        std::string word = row >= 0 && row < ed.RowCount() ? ed.TokenAt(row, col, false).text : std::string();
        ShowKeywordHint(word, true, x, y);
        return true;
    }
    if (button == editor::TMouseButton::Left && keys.shift && !keys.ctrl && !keys.alt) {
        main_.KeywordHelp(ed.TokenAtCaret(false));
        return false;
    }
    return false;
}

void TMDIChild::Editor1MouseUp() { HideHint(); }

bool TMDIChild::ShowKeywordHint(std::string_view word, bool atMouse, int x, int y) {
    const std::string& text = main_.Lookup(word);
    if (text.empty()) return false;
    hint_ = {true, atMouse, x, y, text};
    SetPanel(4, reference::OneLine(text));
    if (OnHintChanged) OnHintChanged();
    return true;
}

void TMDIChild::HideHint() {
    if (!hint_.visible) return;
    hint_.visible = false;
    if (OnHintChanged) OnHintChanged();
}

void TMDIChild::Editor1DblClick() { editor_->SelectTokenAt(editor_->Row(), editor_->Col()); }

void TMDIChild::TypingRefused(const std::string& text) {
    SetPanel(4, "Shift-JISにない文字: " + text);
}

bool TMDIChild::PopupEnabled(PopupItem item) const {
    const editor::TEditor& ed = *editor_;
    switch (item) {
        case PopupItem::Cut:
        case PopupItem::Copy:
        case PopupItem::Indent:
        case PopupItem::Unindent:
            return ed.Selected();
        case PopupItem::Paste:
        case PopupItem::InsertFile:
        case PopupItem::Save:
        case PopupItem::SaveAs:
        case PopupItem::BoxSelection:
        case PopupItem::LineNumbers:
        case PopupItem::Ruler:
            return true;
        case PopupItem::Bracket: {
            std::optional<char> c = ByteAt(ed.SelStart());
            return c && (*c == '(' || *c == ')' || *c == '{' || *c == '}');
        }
        case PopupItem::Undo:
            return ed.CanUndo();
        case PopupItem::Redo:
            return ed.CanRedo();
        case PopupItem::Customize:
            return true;
        default:
            return false;
    }
}

bool TMDIChild::PopupChecked(PopupItem item) const {
    switch (item) {
        case PopupItem::BoxSelection: return editor_->SelectionMode() == editor::smBox;
        case PopupItem::LineNumbers: return editor_->Properties().leftbar.visible;
        case PopupItem::Ruler: return editor_->Properties().ruler.visible;
        default: return false;
    }
}

void TMDIChild::PopupClick(PopupItem item) {
    if (!PopupEnabled(item)) return;
    switch (item) {
        case PopupItem::InsertFile: InsertFileAtCaretLine(); break;
        case PopupItem::Bracket: FindMatchingBracket(); break;
        case PopupItem::Cut: editor_->CutToClipboard(); break;
        case PopupItem::Copy: editor_->CopyToClipboard(); break;
        case PopupItem::Paste: editor_->PasteFromClipboard(); break;
        case PopupItem::Indent: editor_->IndentSelection(); break;
        case PopupItem::Unindent: editor_->UnindentSelection(); break;
        case PopupItem::Undo: main_.Execute(ActionId::EditUndo); break;
        case PopupItem::Redo: main_.Execute(ActionId::EditRedo); break;
        case PopupItem::BoxSelection:
            editor_->SetSelectionMode(editor_->SelectionMode() == editor::smBox ? editor::smNormal : editor::smBox);
            break;
        case PopupItem::LineNumbers: {
            editor::TEditorLeftbar bar = editor_->Properties().leftbar;
            bar.visible = !bar.visible;
            editor_->SetLeftbar(bar);
            Changed();
            break;
        }
        case PopupItem::Ruler: {
            editor::TEditorRuler ruler = editor_->Properties().ruler;
            ruler.visible = !ruler.visible;
            editor_->SetRuler(ruler);
            Changed();
            break;
        }
        case PopupItem::Save: main_.Execute(ActionId::FileSave1); break;
        case PopupItem::SaveAs: main_.Execute(ActionId::FileSaveAs1); break;
        case PopupItem::Customize: main_.Execute(ActionId::EditorCustomize); break;
        default: break;
    }
}

}  // namespace app
