// The colouring scanner: cuts a row into tokens by the fountain's rules and
// the character table, carries its state from row to row, and keeps the
// stored row states up to date.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditorFountain.h"
#include "editor/RowStringList.h"
#include "editor/Tokens.h"

namespace editor {

// The scanner's state at the start of a row (packed into the row store).
struct TRowState {
    TRowAttribute prevAttribute = raLineBreak;
    int bracketIndex = -1;  // -2 not computed, -1 none
    int elementIndex = 0;
    int remain = 0;         // bytes at the row start that finish a token cut by wrap
    int extra = 0;
    int startToken = 0;     // kind of that token
    int prevToken = 0;
    std::string data;

    bool operator==(const TRowState& o) const {
        return prevAttribute == o.prevAttribute && bracketIndex == o.bracketIndex && elementIndex == o.elementIndex &&
               remain == o.remain && extra == o.extra && startToken == o.startToken && prevToken == o.prevToken &&
               data == o.data;
    }
};

TRowState LoadRowState(const TRowAttributeStringList& rows, int row);
void StoreRowState(TRowAttributeStringList& rows, int row, const TRowState& s);

// Where the scan of a long row may resume: a token start, the bracket open
// there, and `horizon`, past the last byte any token before it looked at (an
// edit at or after the horizon leaves every token before the point as it was).
struct TScanPoint {
    size_t offset = 0;
    size_t horizon = 0;
    int open = -1;
};

// A long row's scan, kept so that an edit costs a scan from the last point
// before it until the new tokens meet an old point in the same state, not a
// scan of the whole row. It holds for a row that is a line of its own and
// starts with no token carried over from the row above.
struct TRowScan {
    const void* rules = nullptr;  // the scanner's fountain; null: nothing kept
    int inBracket = -2;           // the bracket open at the row's start
    int outBracket = -2;          // the row's end state: the bracket open there
    // Sorted by offset. Without an edit pending every point holds. After an
    // edit the first `held` points still hold (the tokens before them are
    // unchanged); the rest belong to the old tokens past the edits, whose
    // text from there on is unchanged: where a new scan may meet them.
    std::vector<TScanPoint> points;
    size_t held = 0;
    bool dirty = false;  // the end state waits for a scan from points[held - 1]

    // Bytes [from, from + removed) of the row became `inserted` bytes.
    void Edit(size_t from, size_t removed, size_t inserted);
};

// Raised when a scanner is made without its fountain.
class EFountainParserError : public std::invalid_argument {
public:
    EFountainParserError() : std::invalid_argument("TFountainParser.Create need instance of TFountain") {}
};

// The scanner of a fountain: its brackets and reserved words, then the
// character table.
class TFountainParser {
public:
    explicit TFountainParser(const TFountain* fountain);
    virtual ~TFountainParser() = default;

    void Init(std::string_view text, const TRowState& state);
    TTokenKind NextToken();
    size_t TokenStart() const { return start_; }
    size_t TokenLength() const { return pos_ - start_; }
    std::string_view TokenText() const { return text_.substr(start_, pos_ - start_); }
    bool IsReserveWord() const;
    // The colour record of the current token; nullptr when it has none.
    const TFountainColor* TokenColor() const;
    int OpenBracket() const { return open_; }
    int LastBracketItem() const { return lastBracket_; }
    TTokenKind Kind() const { return kind_; }

    // Advances `state` (the state at the start of row r) to the state at the
    // start of row r + 1.
    void ScanRow(int r, const TRowAttributeStringList& rows, TRowState& state);
    // ScanRow for a row that is a line of its own and starts with no token
    // carried over: returns the bracket open at its end, given the one open
    // at its start, and records points about every `spacing` bytes in
    // `scan`, which it reuses when it was made for the same row, rules and
    // start state.
    int ScanLongRow(std::string_view text, int bracket, TRowScan& scan, size_t spacing);

protected:
    // `fountain` may be null here: a scanner of the character table alone.
    TFountainParser(const TFountain* fountain, const TEditorFountain* rules);

private:
    TTokenKind Dispatch();
    TTokenKind CharacterTable(bool continuation);
    TTokenKind BracketBody();
    TTokenKind Continue();
    bool MailMatch();
    // How far past a token's end (or its start) a token can look, mail
    // addresses aside (they note how far they looked in mailReach_).
    size_t LookaheadBound() const;
    unsigned char At(size_t i) const { return i < text_.size() ? static_cast<unsigned char>(text_[i]) : 0; }
    void SkipChar();
    // Whether the text at the scan position starts with `s` (never when empty).
    bool StartsHere(std::string_view s) const;
    // To just past the closing quote `q` (or the end of the row).
    void SkipPastQuote(unsigned char q, bool doubledStays);

    const TFountain* fountain_;
    const TEditorFountain* rules_;  // commenter, quotation, URL, mail, ... and the colours
    std::string_view text_;
    size_t pos_ = 0;
    size_t start_ = 0;
    TTokenKind kind_ = tokEnd;
    int open_ = -1;
    int lastBracket_ = -1;
    int startToken_ = 0;
    int remain_ = 0;
    int carriedBracket_ = -1;
    bool continuing_ = false;
    size_t mailReach_ = 0;
};

// The editor's scanner: the fountain's rules and colours as well.
class TEditorParser : public TFountainParser {
public:
    explicit TEditorParser(const TEditorFountain* fountain);
};

// A scanner that needs no fountain: the character table only, no brackets,
// no colours (token lookup, double-click selection).
class TTokenParser : public TFountainParser {
public:
    TTokenParser() : TFountainParser(nullptr, nullptr) {}
};

}  // namespace editor
