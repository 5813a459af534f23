// TMsgForm: the message window listing one build's compiler output, from
// which a message jumps to the line it names.
#pragma once

#include <compare>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/MdiChildForm.h"
#include "platform/Ui.h"
#include "platform/Wine.h"

namespace compiler {

// The lines of one listing in a single buffer, each followed by "\n" (no
// line holds one). The start of every 64th line, and of the first line past
// each 64 KB, is noted: millions of short lines cost little more than their
// bytes, and finding a line scans less than 64 lines and 64 KB.
class MessageLines {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;
        const_iterator() = default;
        const_iterator(const MessageLines* lines, size_t index, size_t offset)
            : lines_(lines), index_(index), offset_(offset) {}
        std::string_view operator*() const;
        std::string_view operator[](difference_type n) const { return *(*this + n); }
        const_iterator& operator++();  // the next line's start is found, not looked up
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++*this;
            return old;
        }
        const_iterator& operator--() { return *this = *this - 1; }
        const_iterator& operator+=(difference_type n) { return *this = *this + n; }
        const_iterator& operator-=(difference_type n) { return *this = *this - n; }
        friend const_iterator operator+(const const_iterator& it, difference_type n) { return it.lines_->At(it.index_ + n); }
        friend const_iterator operator-(const const_iterator& it, difference_type n) { return it.lines_->At(it.index_ - n); }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.index_ <=> b.index_; }

    private:
        const MessageLines* lines_ = nullptr;
        size_t index_ = 0;
        size_t offset_ = 0;  // where the line starts in the buffer
    };

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::string_view operator[](size_t i) const { return *At(i); }
    std::string_view back() const { return (*this)[count_ - 1]; }
    const_iterator begin() const { return At(0); }
    const_iterator end() const { return At(count_); }
    void push_back(std::string_view line);  // without line ends
    // A line written in place: room for `bytes`, then EndLine with what was
    // written there (no line end). A BeginLine without EndLine adds nothing.
    char* BeginLine(size_t bytes);
    void EndLine(size_t written);
    void append(const MessageLines& other);
    const_iterator At(size_t i) const;  // size() gives end()

private:
    struct Mark {
        size_t line;
        size_t offset;
    };
    // Grown by realloc: a listing of many megabytes moves by remapping its
    // pages, not by copying them into fresh ones.
    class Bytes {
    public:
        Bytes() = default;
        Bytes(const Bytes& other);
        Bytes(Bytes&& other) noexcept { Swap(other); }
        Bytes& operator=(Bytes other) noexcept {
            Swap(other);
            return *this;
        }
        ~Bytes();
        void Swap(Bytes& other) noexcept;
        char* Reserve(size_t more);  // room for `more` bytes at the end
        void Grow(size_t n) { size_ += n; }
        size_t size() const { return size_; }
        std::string_view View() const { return {data_, size_}; }

    private:
        char* data_ = nullptr;
        size_t size_ = 0, capacity_ = 0;
    };
    size_t NextLine(size_t offset) const;  // the offset after the line at `offset`
    Bytes text_;
    std::vector<Mark> marks_;
    size_t count_ = 0;
};

struct JumpTarget {
    std::string file;  // the text before "(", not trimmed
    long line = 0;
    std::string folder;  // where the build ran (a relative file is taken there); may be empty
    bool error = false;  // "error" is the kind word after the ": " (else a warning)
    bool exact = false;  // the file is named in full (a find's hit): no other file matches it
};

// A message's file text as this system names the file: a Windows path
// ("Z:\home\u\a.R", "D:\work\a.R") through the drive mappings of the wine
// prefix (letter case matched to the disk where only case differs), a
// relative one with "\" between its names with "/"; any other text as it is.
std::string LocalFileText(const std::string& fileText, const platform::WineDrives& drives);
// The same with the drives of the wine prefix in use.
std::string LocalFileText(const std::string& fileText);

// The file a jump target names on disk: its text without surrounding
// blanks, taken in `folder` unless absolute; empty when that cannot be told.
std::string JumpTargetPath(const JumpTarget& target);

// "file(line) ... : ... warning|error ..." with each delimiter after the
// previous one. nullopt when the line is not a jump target; `badNumber` gets
// the text between the parentheses when the line is one but that text (even
// an empty one) is no integer.
std::optional<JumpTarget> ParseJumpTarget(const std::string& line,
                                          std::optional<std::string>* badNumber = nullptr);

// A find-in-files result line, "path(line) : text": the file is what comes
// before the first "(digits) : " (so a path may hold parentheses), the
// line those digits. nullopt for any other line (the counts at the end).
std::optional<JumpTarget> ParseHitLine(std::string_view line);
// The line that ParseHitLine reads back as `path` and `line`.
std::string HitLine(std::string_view path, long line, std::string_view text);

// Splits compiler output into list lines: CR LF, CR CR LF, CR or LF end a line, TAB
// becomes one blank, NUL becomes one blank. A line that is valid UTF-8 is
// kept as it is (file names as the file system spells them); any other is
// decoded from Shift-JIS, except a valid UTF-8 file name before its first "(".
MessageLines CompilerOutputLines(const std::string& output);

// Whether a document window captioned `caption` is the one a message's file
// text names: the caption's file name, cut to its last six characters,
// occurs in the text ignoring case.
bool CaptionMatches(const std::string& caption, const std::string& fileText);

// The window (index into `captions`, in window order) a jump to `fileText`
// goes to, -1 for none: the first whose file name is the text, else the
// first whose path ends in it, else the first that CaptionMatches; each
// ignoring case.
int FindJumpWindow(const std::vector<std::string>& captions, const std::string& fileText);

// An item as the list shows it: at most its first kListedBytes bytes (whole
// characters), then "…". Copying and jumping use the whole item.
constexpr size_t kListedBytes = 4096;
std::string ListedText(std::string_view item);

class TMsgForm : public forms::TMdiChildForm {
public:
    static constexpr const char* kHint = "ダブルクリックまたはEnterキー押下で該当行番号にジャンプします";

    // `onJump` stores the request and starts the main window's Timer1.
    TMsgForm(platform::Ui& ui, std::function<void(const JumpTarget&)> onJump);

    const MessageLines& Items() const { return items_; }
    void AddLines(const MessageLines& lines);
    int Selected() const { return selected_; }
    void SetSelected(int index) { selected_ = index; }

    // A find-in-files listing: its lines are read as hits, not messages.
    void SetHits(bool hits) { hits_ = hits; }
    bool Hits() const { return hits_; }
    // The jump target of item `i` as this listing reads its lines.
    std::optional<JumpTarget> TargetAt(size_t i, std::optional<std::string>* badNumber = nullptr) const;

    // The folder the build ran in; jump requests carry it.
    void SetFolder(std::string folder) { folder_ = std::move(folder); }

    void ListBox1DblClick();
    void ListBox1KeyDown(int key);  // 13: Enter
    void ListBox1KeyPress(char c);  // "c"/"C": copy every line

    // Next or previous error: selects the nearest line after (before) the
    // selection that is a jump target and jumps as Enter does. Passing an
    // end wraps around with a beep; false (with a beep) when no line is one.
    bool SelectNextTarget(bool forward);
    // The view follows a selection made here.
    std::function<void(int)> OnSelected;

private:
    platform::Ui& ui_;
    std::function<void(const JumpTarget&)> onJump_;
    MessageLines items_;
    int selected_ = -1;
    std::string folder_;
    bool hits_ = false;
};

}  // namespace compiler
