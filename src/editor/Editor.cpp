#include "editor/Editor.h"

#include <algorithm>

namespace editor {

TEditor::TEditor()
    : store_(TEditorScreenStrings::Create(this)),
      lines_(std::make_unique<TEditorStrings>(*this)),
      popupMenu_(std::make_unique<TEditorPopupMenu>(*this)) {
    viewListener_ = view_.Fountain().Subscribe([this] {
        if (!fountain_) FountainChanged();
    });
}

TEditor::~TEditor() {
    if (fountain_) fountain_->Unsubscribe(fountainListener_);
    view_.Fountain().Unsubscribe(viewListener_);
    if (store_) store_->RemoveEditor(this);
}

void TEditor::SetFountain(TEditorFountain* fountain) {
    if (fountain == fountain_) return;
    if (fountain_) fountain_->Unsubscribe(fountainListener_);
    fountain_ = fountain;
    if (fountain_)
        fountainListener_ = fountain_->Subscribe([this] { FountainChanged(); },
                                                 [this] {
                                                     // Gone: back to the View's rules.
                                                     fountain_ = nullptr;
                                                     FountainChanged();
                                                 });
    FountainChanged();
}

void TEditor::FountainChanged() {
    if (store_->Owner() == this) store_->FullScan();
    // Whether any record is italic decides how rows are drawn.
    if (clientHeight_ > 0) Relayout();
    else Invalidate();
    AskForStates();
}

bool TEditor::UpdateStatesSlice(int milliseconds) {
    return store_->ScanSome(std::chrono::milliseconds(std::max(0, milliseconds)));
}

void TEditor::AskForStates() {
    if (window_ && store_->StatesPending()) window_->StatesPending();
}

std::string_view TEditor::RowText(int row) const {
    if (row < 0 || row >= store_->Count()) return {};
    return store_->Text(row);
}

TRowAttribute TEditor::RowAttribute(int row) const {
    if (row < 0 || row >= store_->Count()) return raEndOfText;
    return store_->GetRowAttribute(row);
}

void TEditor::ShareLines(TEditor& other) {
    if (other.store_ == store_) return;
    ClearSelection();
    store_->RemoveEditor(this);
    store_ = other.store_;
    store_->AddEditor(this);
    ClampToRows();
    TextReset();
}

void TEditor::SetCaret(const TEditorCaret& caret) {
    const int oldTab = props_.caret.tabSpaceCount;
    props_.caret = caret;
    props_.caret.tabSpaceCount = TEditorCaret::ClampTabSpaceCount(caret.tabSpaceCount);
    // Wrapped rows are cut by the owner's TAB width: they are split anew,
    // as after a change of a wrap option.
    if (props_.caret.tabSpaceCount != oldTab && store_->Owner() == this) store_->TabWidthChanged();
    Normalise(false, -1);
    Invalidate();
}

void TEditor::SetTabWidth(int width) {
    TEditorCaret c = props_.caret;
    c.tabSpaceCount = width;
    SetCaret(c);
}

void TEditor::SetReadOnly(bool on) {
    if (dragState_ != 0) return;  // not while a drag and drop runs
    props_.readOnly = on;
}

TMeasure TEditor::Measure() const {
    TMeasure m;
    m.tabWidth = props_.caret.tabSpaceCount;
    m.wrapWidth = WordWrap() ? store_->WrapOption().WrapByte() : 0;
    m.delimiters = &Delimiters();
    return m;
}

std::string TEditor::ColumnMap(int row) const { return BuildColumnMap(RowText(row), Measure()); }

int TEditor::EndColumn(int row) const {
    if (row < 0 || row >= RowCount()) return 0;
    return TextWidthUpTo(RowText(row), kBeyondCaret, Measure());
}

int TEditor::ByteIndex(int row, int col) const {
    std::string_view text = RowText(row);
    if (text.empty()) return 0;
    return ByteIndexOfColumn(BuildColumnMap(text, Measure()), static_cast<int>(text.size()), col);
}

void TEditor::StringsChanged() {
    exactOffset_ = -1;  // offsets moved with the text
    LineCountChanged();
    RepaintChange(store_->LastChange());
    ScrollBarsChanged();
    AskForStates();
    if (!store_->LastChange().valid) return;
    modified_ = true;
    if (OnChange) OnChange(*this);
}

void TEditor::TextReset() {
    exactOffset_ = -1;
    LineCountChanged();
    Invalidate();
    ScrollBarsChanged();
    AskForStates();
}

int TEditor::MaxCaretRow() const {
    int rows = store_->Count();
    return rows > 0 && store_->GetRowAttribute(rows - 1) == raEndOfText ? rows - 1 : rows;
}

void TEditor::ClampToRows() {
    int limit = MaxCaretRow();
    if (row_ > limit) {
        row_ = limit;
        Normalise(true, -1);
    }
    if (topRow_ > limit) {
        topRow_ = limit;
        Invalidate();
        ScrollBarsChanged();
    }
}

TEditor::TViewState TEditor::SaveViewState() const {
    TViewState s{row_,       col_,       topRow_,   leftCol_, selState_, selMode_, anchorRow_,
                 anchorByte_, anchorCol_, selBytes_, selCols_, RowCount(), {}};
    if (store_->GetMarksInUse() != 0)
        for (int r = 0; r < s.rows; ++r)
            if (TRowMarks m = store_->GetMarks(r)) s.marks.emplace_back(r, m);
    return s;
}

void TEditor::RestoreViewState(const TViewState& s) {
    if (s.rows == RowCount() && (!s.marks.empty() || store_->GetMarksInUse() != 0)) {
        std::vector<TRowMarks> marks(static_cast<size_t>(s.rows), 0);
        TRowMarks inUse = 0;
        for (const auto& [r, m] : s.marks) {
            marks[static_cast<size_t>(r)] = m;
            inUse |= m;
        }
        for (int r = 0; r < s.rows; ++r) SetRowMarks(r, marks[static_cast<size_t>(r)]);
        // Marks moved between rows in any order: the set in use is theirs.
        store_->ExcludeMarks(store_->GetMarksInUse());
        store_->IncludeMarks(inUse);
    }
    ClearSelection();
    SetTopRow(std::clamp(s.topRow, 0, MaxTopRow()));
    SetLeftColumn(s.leftCol);
    SetRowCol(std::clamp(s.row, 0, MaxCaretRow()), s.col);
    if (s.selState == sstNone || s.row > MaxCaretRow() || s.anchorRow > MaxCaretRow()) return;
    selMode_ = s.selMode;
    anchorRow_ = s.anchorRow;
    anchorByte_ = s.anchorByte;
    anchorCol_ = s.anchorCol;
    selBytes_ = s.bytes;
    selCols_ = s.cols;
    selState_ = s.selState;
    if (Marked()) SelectionChanged();
}

void TEditor::SetFocused(bool focused) {
    if (focused_ == focused) return;
    focused_ = focused;
    if (focused) RefreshCaret();
    else InvalidateCaret();
}

}  // namespace editor

namespace editor {

namespace {

int Digits(long long n) {
    int d = 1;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

// Digits of the largest number the left bar shows.
int LeftbarDigits(const TEditor& ed) {
    const TEditorLeftbar& l = ed.Properties().leftbar;
    if (!l.visible || !l.showNumber) return l.column;
    const int rows = ed.RowCount();
    long long b = std::max(0, rows - 1);
    if (l.showNumberMode == nmLine && ed.WordWrap()) b = ed.Store().LinesBefore(std::max(0, rows - 1));
    int e = rows > 0 && ed.RowAttribute(rows - 1) == raEndOfText ? 0 : 1;
    int z = l.zeroBase ? 0 : 1;
    long long largest = std::max(0LL, b + e + z);
    return std::min(8, std::max(l.column, Digits(largest)));
}

}  // namespace

void TEditor::LineCountChanged() {
    // A line more or less can widen or narrow the left bar, shifting the text.
    if (clientHeight_ > 0 && LeftbarDigits(*this) != metrics_.digits) Relayout();
}

void TEditor::RecomputeMetrics(int fontHeight, int averageCharWidth, int width, int height) {
    fontHeight_ = std::max(1, fontHeight);
    averageCharWidth_ = std::max(1, averageCharWidth);
    clientWidth_ = width;
    clientHeight_ = height;
    TPaintMetrics m;
    const TEditorProperties& p = props_;
    m.fontHeight = fontHeight_;
    m.cellWidth = averageCharWidth_ + p.margin.character;
    m.underlineMargin = p.marks.underline.visible ? 1 : 0;
    m.rowHeight = m.underlineMargin + m.fontHeight + p.margin.line;
    m.rulerHeight = p.ruler.visible ? (p.ruler.edge ? 11 : 10) : 0;
    m.topMargin = p.margin.top + m.rulerHeight;
    m.imagebarWidth = p.imagebar.visible
                          ? p.imagebar.leftMargin + p.imagebar.digitWidth + p.imagebar.markWidth + p.imagebar.rightMargin
                          : 0;
    m.digits = LeftbarDigits(*this);
    m.leftbarWidth = p.leftbar.visible ? p.leftbar.leftMargin + m.digits * m.cellWidth + p.leftbar.rightMargin + 2 : 0;
    m.leftMargin = p.margin.left + m.imagebarWidth + m.leftbarWidth;
    m.italic = ActiveFountain().AnyItalic();
    metrics_ = m;
    visibleRows_ = std::max(1, (height - m.topMargin - 5) / std::max(1, m.rowHeight));
    visibleCols_ = std::max(1, (width - m.leftMargin - m.cellWidth / 2) / std::max(1, m.cellWidth));
    if (leftCol_ > MaxLeftColumn()) leftCol_ = MaxLeftColumn();
}

void TEditor::Relayout() {
    RecomputeMetrics(fontHeight_, averageCharWidth_, clientWidth_, clientHeight_);
    Invalidate();
    ScrollBarsChanged();
}

void TEditor::SetMargin(const TEditorMargin& m) {
    auto c = [](int v) { return std::clamp(v, 0, 100); };
    props_.margin = {c(m.character), c(m.left), c(m.line), c(m.top)};
    Relayout();
}

void TEditor::SetLeftbar(const TEditorLeftbar& l) {
    props_.leftbar = l;
    props_.leftbar.column = std::clamp(l.column, 1, 8);
    props_.leftbar.leftMargin = std::clamp(l.leftMargin, 0, 100);
    props_.leftbar.rightMargin = std::clamp(l.rightMargin, 0, 100);
    Relayout();
}

void TEditor::SetRuler(const TEditorRuler& r) {
    props_.ruler = r;
    props_.ruler.gaugeRange = std::clamp(r.gaugeRange, 8, 10) & ~1;  // only 8 or 10
    Relayout();
}

void TEditor::SetImagebar(const TEditorImagebar& i) {
    props_.imagebar = i;
    Relayout();
}

void TEditor::SetMarks(const TEditorMarks& m) {
    props_.marks = m;
    Relayout();
}

void TEditor::SetSpeed(const TEditorSpeed& s) {
    auto c = [](int v) { return std::clamp(v, 1, 4); };
    props_.speed = {c(s.caretVerticalAc), s.initBracketsFull, c(s.pageVerticalRange), c(s.pageVerticalRangeAc)};
}

void TEditor::SetColor(TColor c) {
    props_.color = c;
    Invalidate();
}

void TEditor::SetFont(const TEditorFont& f) {
    props_.font = f;
    Invalidate();
}

}  // namespace editor
