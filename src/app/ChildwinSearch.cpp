// The document window's find, replace and bracket commands.
#include <algorithm>

#include "app/Childwin.h"
#include "app/MainForm.h"
#include "app/Search.h"
#include "platform/ShiftJis.h"

namespace app {

namespace {

bool LeadValue(char c) { return platform::IsLeadByte(static_cast<unsigned char>(c)); }

// Whether byte i of a row is the second byte of a double-byte character: a
// row starts with a character, and a lead-byte value pairs with the byte
// after it, so the parity of the run of lead-byte values before i decides.
bool SecondByte(std::string_view row, size_t i) {
    size_t j = i;
    while (j > 0 && LeadValue(row[j - 1])) --j;
    return (i - j) % 2 == 1;
}

class BusyCursor {
public:
    explicit BusyCursor(platform::Ui& ui) : ui_(ui) { ui_.SetBusy(true); }
    ~BusyCursor() { ui_.SetBusy(false); }

private:
    platform::Ui& ui_;
};

}  // namespace

std::optional<char> TMDIChild::ByteAt(int64_t offset) const {
    const editor::TEditor& ed = *editor_;
    if (offset < 0 || offset >= ed.TextLength()) return std::nullopt;
    int row = ed.Store().RowOfOffset(offset);
    std::string_view text = ed.RowText(row);
    const size_t i = static_cast<size_t>(offset - ed.Store().RowOffset(row));
    if (i < text.size()) return text[i];
    return i == text.size() ? '\r' : '\n';
}

void TMDIChild::SelectFound(int64_t start, int64_t length) {
    editor::TEditor& ed = *editor_;
    ed.SetSelStart(start);
    ed.SetSelLength(length);
    if (ed.Marked()) ed.SetRow(ed.SelectionBytes().startRow);
    ed.SetTopRow(std::max(0, ed.Row() - ed.VisibleRows() / 3));
}

void TMDIChild::NotFound(std::string_view text) {
    ui_.MessageBox(platform::SjisToUtf8(text) + "が見つかりません", kAppTitle, platform::MsgKind::Information,
                   platform::MsgButtons::Ok);
}

bool TMDIChild::FindForward(std::string_view text) {
    std::optional<int64_t> hit;
    {
        BusyCursor busy(ui_);
        hit = FindInText(*editor_, text, editor_->SelStart() + editor_->SelLength());
    }
    if (!hit) {
        NotFound(text);
        return false;
    }
    SelectFound(*hit, static_cast<int64_t>(text.size()));
    return true;
}

bool TMDIChild::FindBackward(std::string_view text) {
    std::optional<int64_t> hit;
    {
        BusyCursor busy(ui_);
        hit = FindLastInText(*editor_, text, editor_->SelStart());
    }
    if (!hit) {
        NotFound(text);
        return false;
    }
    SelectFound(*hit, static_cast<int64_t>(text.size()));
    return true;
}

bool TMDIChild::ReplaceText(std::string_view find, std::string_view replacement, bool all) {
    editor::TEditor& ed = *editor_;
    if (ed.ReadOnly()) return false;
    const int64_t from = ed.SelStart() + ed.SelLength();
    const int64_t m = static_cast<int64_t>(find.size());
    const int64_t r = static_cast<int64_t>(replacement.size());
    if (!all) {
        std::optional<int64_t> hit = FindInText(ed, find, from);
        if (!hit) {
            NotFound(find);
            return false;
        }
        ed.SetSelStart(*hit);
        ed.SetSelLength(m);
        ed.SetSelText(replacement);
        SelectFound(*hit, r);
        return true;
    }

    std::vector<int64_t> hits;
    {
        BusyCursor busy(ui_);
        hits = FindAllInText(ed, find, from);
        if (!hits.empty()) {
            // What replacing one occurrence after another and searching on
            // after each replacement gives, made as one change that one undo
            // takes back; each line is changed where it lies.
            ed.Lines().BeginUpdate();
            ed.Store().ReplaceOccurrences(hits, find, replacement);
            ed.Lines().EndUpdate();
        }
    }
    if (hits.empty()) {
        NotFound(find);
        return false;
    }
    const int64_t n = static_cast<int64_t>(hits.size());
    SelectFound(hits.back() + (n - 1) * (r - m), r);
    SetPanel(4, std::to_string(n) + "個の変換を行いました");
    return true;
}

void TMDIChild::FindMatchingBracket() {
    editor::TEditor& ed = *editor_;
    const int64_t s = ed.SelStart();
    const std::optional<char> at = ByteAt(s);
    if (!at) return;
    const char c = *at;
    char p;
    switch (c) {
        case '(': p = ')'; break;
        case ')': p = '('; break;
        case '{': p = '}'; break;
        case '}': p = '{'; break;
        default: return;
    }
    SetPanel(4, "検索中...");
    if (OnPaintStatusNow) OnPaintStatusNow();
    BusyCursor busy(ui_);

    const editor::TEditorScreenStrings& store = ed.Store();
    const int startRow = store.RowOfOffset(s);
    const int64_t startByte = s - store.RowOffset(startRow);
    const bool forward = c == '(' || c == '{';
    int depth = 1;
    auto visit = [&](std::string_view row, size_t i) {
        if (row[i] != c && row[i] != p) return false;
        if (SecondByte(row, i)) return false;
        depth += row[i] == c ? 1 : -1;
        return depth == 0;
    };
    std::optional<int64_t> found;
    if (forward) {
        for (int r = startRow, n = ed.RowCount(); r < n && !found; ++r) {
            std::string_view row = ed.RowText(r);
            for (size_t i = r == startRow ? static_cast<size_t>(startByte + 1) : 0; i < row.size(); ++i) {
                if (visit(row, i)) {
                    found = store.RowOffset(r) + static_cast<int64_t>(i);
                    break;
                }
            }
        }
    } else {
        for (int r = startRow; r >= 0 && !found; --r) {
            std::string_view row = ed.RowText(r);
            for (size_t i = r == startRow ? static_cast<size_t>(startByte) : row.size(); i-- > 0;) {
                if (visit(row, i)) {
                    found = store.RowOffset(r) + static_cast<int64_t>(i);
                    break;
                }
            }
        }
    }
    if (found) {
        ed.SetSelStart(*found);
        SetPanel(4, "");
        return;
    }
    ui_.Beep();
    ui_.MessageBox("対応する括弧が見つかりません", kAppTitle, platform::MsgKind::Information, platform::MsgButtons::Ok);
    SetPanel(4, "");
}

}  // namespace app
