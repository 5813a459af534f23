// Word completion in a document window (Ctrl+Space): the words of the open
// documents, kept in an index that follows every edit, and the names the
// program knows (keyword hints, defines, reserved words), listed for the
// word before the caret.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "editor/EditorScreenStrings.h"

namespace editor {
class TEditor;
}

namespace app {

// Identifier bytes: ASCII letters, digits and the underscore.
inline bool IsWordByte(unsigned char b) {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_';
}

// The words of one text, counted: runs of identifier bytes of two or more
// that do not begin with a digit (the second byte of a double-byte
// character is never part of one). The index is told of each edit before it
// happens and counts the lines it touches again, as they are then, before it
// is next read. An edit within one line (typing) changes only the counts of
// the words it changed: those of the line before and after are compared.
class TWordIndex : public editor::TTextWatcher {
public:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    using TWords = std::unordered_map<std::string, uint32_t, Hash, std::equal_to<>>;
    // The words in the candidates' order (LessNoCase), viewing the keys of Words().
    using TSorted = std::vector<std::string_view>;

    explicit TWordIndex(editor::TEditorScreenStrings& store);
    ~TWordIndex() override;
    TWordIndex(const TWordIndex&) = delete;
    TWordIndex& operator=(const TWordIndex&) = delete;

    const TWords& Words();
    // Kept in order between requests: the words an edit brought or took are
    // merged in when it is next asked for, so a key costs the words it
    // changed, and a request the words it lists, not a sort of every word.
    const TSorted& Sorted();

    void TextEditing(int64_t offset, int64_t removed, std::string_view inserted) override;
    void TextReset() override;

private:
    // Calls `word(bytes)` for each word of lines [first, last].
    template <class F>
    void ForEachWord(int first, int last, F&& word);
    // Counts (sign +1) or uncounts (-1) the words of lines [first, last].
    void CountLines(int first, int last, int sign);
    void Count(std::string_view word, int sign);
    void Flush();
    // Brings sorted_ up to date with words_.
    void Settle();
    void Resort();
    void Touch(std::string_view key);

    editor::TEditorScreenStrings& store_;
    TWords words_;  // only counted words
    // While sorted_ is valid, each word counted up from 0 or down to 0 is
    // noted in touched_ until Settle; the entry of a word counted down to 0
    // is kept in gone_ till then, so the views of both stay valid.
    TSorted sorted_;
    TSorted touched_;
    std::vector<TWords::node_type> gone_;
    bool sortedValid_ = false;
    struct Lines {
        int first, last;
    };
    std::optional<Lines> pending_;  // lines an edit left, not counted yet
    // Words one after another, with where each ends.
    struct TKeptWords {
        std::string bytes;
        std::vector<size_t> ends;
        std::vector<std::string_view> Views() const;
    };
    void KeepWords(int first, int last, TKeptWords& kept);
    // The words of the one line an edit is about to change, still counted:
    // compared with the line's words afterwards.
    bool comparing_ = false;
    TKeptWords before_, after_;
};

// One entry of the list: the name (Shift-JIS, as it goes into the text) and
// what is known about it (UTF-8; empty for a plain word).
struct TCompletionItem {
    std::string word;
    std::string hint;
    friend bool operator==(const TCompletionItem&, const TCompletionItem&) = default;
};

// Where names come from, in the order their hints win.
struct TCompletionSources {
    std::vector<TCompletionItem> named;  // keyword hints, defines, reserved words
    std::vector<const TWordIndex::TWords*> documents;
    std::vector<const TWordIndex::TSorted*> sortedDocuments;  // the same, kept in order: found by range
};

// The candidates for `prefix`: each name once, those that begin with it
// (ASCII case ignored) first, then those that hold it elsewhere, each group
// in ASCII order ignoring case, the first kMaxCandidates of them. A
// document word equal to the prefix is the word being typed, not a
// candidate. An empty prefix lists the named ones.
bool LessNoCase(std::string_view a, std::string_view b);
constexpr size_t kMaxCandidates = 2000;
std::vector<TCompletionItem> CompletionCandidates(std::string_view prefix, const TCompletionSources& sources);

// The define reference's names with their values and meanings as hints.
std::vector<TCompletionItem> DefineNames(const std::string& listFile);

// The list shown under the caret and what the keys do with it.
class TCompletion {
public:
    using TProvider = std::function<std::vector<TCompletionItem>(std::string_view prefix)>;
    TCompletion(editor::TEditor& ed, TProvider provider) : ed_(ed), provider_(std::move(provider)) {}

    // Ctrl+Space: lists the candidates for the word before the caret; a
    // single one goes in at once, none beeps (false).
    bool Open();
    void Close();
    bool Visible() const { return visible_; }
    const std::vector<TCompletionItem>& Items() const { return items_; }
    int Selected() const { return selected_; }
    const std::string& Prefix() const { return prefix_; }  // Shift-JIS
    // The text offset where the completed word begins.
    int64_t WordStart() const { return start_; }

    // Up/Down/PageUp/PageDown/Enter/Tab/Escape while the list is up; true
    // when the key was the list's. `page` is the rows the list shows.
    bool KeyDown(int key, int page);
    void Move(int delta);
    // Replaces the typed prefix with the selected name, one undo step.
    void Insert();
    // The text or caret changed: the list follows the word being typed and
    // goes when the caret leaves it or nothing matches.
    void Update();

    std::function<void()> OnChanged;
    std::function<void()> OnBeep;
    // A name went into the text (its hint may be worth showing).
    std::function<void(const TCompletionItem&)> OnInserted;

private:
    // The word before the caret: its start offset and bytes; false when the
    // caret is not after identifier bytes or an empty place.
    bool WordBeforeCaret(int64_t* start, std::string* word) const;
    void Changed() {
        if (OnChanged) OnChanged();
    }

    editor::TEditor& ed_;
    TProvider provider_;
    bool visible_ = false;
    bool inserting_ = false;
    std::vector<TCompletionItem> items_;
    int selected_ = 0;
    std::string prefix_;
    int64_t start_ = 0;
};

}  // namespace app
