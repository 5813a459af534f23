#include "app/Completion.h"

#include <algorithm>

#include "editor/Editor.h"
#include "platform/FileIO.h"
#include "platform/IniFile.h"
#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace app {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Where `needle` starts in `hay`, ASCII case ignored; npos when nowhere.
size_t FindNoCase(std::string_view hay, std::string_view needle) {
    if (needle.empty()) return 0;
    if (needle.size() > hay.size()) return std::string_view::npos;
    const char first = Upper(needle[0]);
    for (size_t i = 0; i + needle.size() <= hay.size(); ++i) {
        // The second byte of a double-byte character starts nothing.
        if (platform::IsLeadByte(static_cast<unsigned char>(hay[i]))) {
            ++i;
            continue;
        }
        if (Upper(hay[i]) != first) continue;
        size_t k = 1;
        while (k < needle.size() && Upper(hay[i + k]) == Upper(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return std::string_view::npos;
}

// The bytes of `a` against those of `b`, ASCII case folded: <0, 0 or >0.
int CompareFolded(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Upper(a[i])), y = static_cast<unsigned char>(Upper(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

}  // namespace

bool LessNoCase(std::string_view a, std::string_view b) {
    if (int c = CompareFolded(a, b)) return c < 0;
    return a < b;
}

// ---- The words of a document -------------------------------------------------

TWordIndex::TWordIndex(editor::TEditorScreenStrings& store) : store_(store) {
    store_.AddWatcher(this);
    TextReset();
}

TWordIndex::~TWordIndex() { store_.RemoveWatcher(this); }

template <class F>
void TWordIndex::ForEachWord(int first, int last, F&& word) {
    const int rows = store_.Count();
    if (first > last || rows == 0) return;
    const int endRow = std::min(rows, store_.RowOfLine(last + 1));
    auto count = [&](std::string_view w) {
        if (w.size() >= 2 && !(w[0] >= '0' && w[0] <= '9')) word(w);
    };
    // A word cut by word wrap goes on in the next row: its start is kept here.
    std::string carried;
    for (int r = store_.RowOfLine(first); r < endRow; ++r) {
        const std::string_view text = store_.Text(r);
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        const size_t n = text.size();
        size_t i = 0;
        if (!carried.empty()) {
            while (i < n && IsWordByte(p[i])) ++i;
            carried.append(text.substr(0, i));
            if (i < n) {
                count(carried);
                carried.clear();
            }
        }
        while (i < n) {
            if (IsWordByte(p[i])) {
                const size_t b = i;
                while (i < n && IsWordByte(p[i])) ++i;
                if (i == n && store_.GetRowAttribute(r) == editor::raWrapped) carried.assign(text.substr(b));
                else count(text.substr(b, i - b));
            } else {
                // The second byte of a double-byte character may look like a letter.
                i += platform::IsLeadByte(p[i]) ? 2 : 1;
            }
        }
        if (store_.GetRowAttribute(r) != editor::raWrapped && !carried.empty()) {
            count(carried);
            carried.clear();
        }
    }
    if (!carried.empty()) count(carried);
}

void TWordIndex::Count(std::string_view word, int sign) {
    auto it = words_.find(word);
    if (sign > 0) {
        if (it == words_.end()) Touch(words_.emplace(std::string(word), 1).first->first);
        else ++it->second;
    } else if (it != words_.end() && --it->second == 0) {
        if (sortedValid_) {
            Touch(it->first);  // taken out of the order when it is next settled
            gone_.push_back(words_.extract(it));
        } else {
            words_.erase(it);
        }
    }
}

void TWordIndex::CountLines(int first, int last, int sign) {
    ForEachWord(first, last, [&](std::string_view w) { Count(w, sign); });
}

void TWordIndex::Flush() {
    if (!pending_) return;
    const Lines l = *pending_;
    pending_.reset();
    const int last = std::min(l.last, store_.LineCount() - 1);
    if (!comparing_) {
        CountLines(l.first, last, +1);
        return;
    }
    // Only the words that differ: typing changes a word or two of the line
    // and leaves those before and after them where they were.
    comparing_ = false;
    KeepWords(l.first, last, after_);
    size_t head = 0, tail = 0;
    const std::vector<std::string_view> before = before_.Views(), after = after_.Views();
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    for (size_t k = head; k < after.size() - tail; ++k) Count(after[k], +1);
    for (size_t k = head; k < before.size() - tail; ++k) Count(before[k], -1);
}

void TWordIndex::KeepWords(int first, int last, TKeptWords& kept) {
    // Copied: a word that word wrap cuts is put together outside the text.
    kept.bytes.clear();
    kept.ends.clear();
    ForEachWord(first, last, [&](std::string_view w) {
        kept.bytes += w;
        kept.ends.push_back(kept.bytes.size());
    });
}

std::vector<std::string_view> TWordIndex::TKeptWords::Views() const {
    std::vector<std::string_view> views;
    views.reserve(ends.size());
    for (size_t k = 0, from = 0; k < ends.size(); from = ends[k++])
        views.push_back(std::string_view(bytes).substr(from, ends[k] - from));
    return views;
}

void TWordIndex::Touch(std::string_view key) {
    if (!sortedValid_) return;
    touched_.push_back(key);
    // Past this a fresh sort costs less than merging.
    if (touched_.size() > sorted_.size() / 2 + 4096) {
        sortedValid_ = false;
        sorted_.clear();
        touched_.clear();
        gone_.clear();
    }
}

void TWordIndex::Resort() {
    sorted_.clear();
    sorted_.reserve(words_.size());
    for (const auto& entry : words_) sorted_.push_back(entry.first);
    std::sort(sorted_.begin(), sorted_.end(), LessNoCase);
    touched_.clear();
    gone_.clear();
    sortedValid_ = true;
}

void TWordIndex::Settle() {
    Flush();
    if (!sortedValid_ || touched_.empty()) return;
    std::sort(touched_.begin(), touched_.end(), LessNoCase);
    touched_.erase(std::unique(touched_.begin(), touched_.end()), touched_.end());
    TSorted merged;
    merged.reserve(sorted_.size() + touched_.size());
    // A touched word is in the order when it is counted now, as the key it
    // is counted under (which may be a new entry for a word gone and back).
    auto keep = [&](std::string_view w) {
        auto it = words_.find(w);
        if (it != words_.end()) merged.push_back(it->first);
    };
    size_t i = 0, j = 0;
    while (i < sorted_.size() || j < touched_.size()) {
        if (j == touched_.size() || (i < sorted_.size() && LessNoCase(sorted_[i], touched_[j]))) {
            merged.push_back(sorted_[i++]);  // untouched, so still counted
        } else if (i < sorted_.size() && sorted_[i] == touched_[j]) {
            keep(touched_[j]);
            ++i, ++j;
        } else {
            keep(touched_[j]);
            ++j;
        }
    }
    sorted_.swap(merged);
    touched_.clear();
    gone_.clear();
}

const TWordIndex::TWords& TWordIndex::Words() {
    Flush();
    return words_;
}

const TWordIndex::TSorted& TWordIndex::Sorted() {
    Settle();
    if (!sortedValid_) Resort();
    return sorted_;
}

void TWordIndex::TextEditing(int64_t offset, int64_t removed, std::string_view inserted) {
    Flush();
    const int rows = store_.Count();
    int first = 0;
    if (rows > 0) {
        const int r0 = std::min(store_.RowOfOffset(offset), rows - 1);
        const int r1 = std::min(store_.RowOfOffset(offset + removed), rows - 1);
        first = store_.LinesBefore(r0);
        const int last = store_.LinesBefore(r1);
        // Within one line its words are kept to compare with what the line
        // holds after; else they are uncounted now.
        if (first == last) {
            KeepWords(first, last, before_);
            comparing_ = true;
        } else {
            CountLines(first, last, -1);
        }
    }
    // Afterwards the lines from the first touched one on, one per break inserted.
    int breaks = 0;
    for (size_t i = 0; i < inserted.size(); ++i) {
        if (inserted[i] == '\n' || (inserted[i] == '\r' && (i + 1 >= inserted.size() || inserted[i + 1] != '\n')))
            ++breaks;
    }
    pending_ = Lines{first, first + breaks};
}

void TWordIndex::TextReset() {
    words_.clear();
    sorted_.clear();
    touched_.clear();
    gone_.clear();
    sortedValid_ = false;
    pending_.reset();
    comparing_ = false;
    CountLines(0, store_.LineCount() - 1, +1);
    Resort();  // at load, so the first Ctrl+Space does not wait for it
}

// ---- Candidates ----------------------------------------------------------------

std::vector<TCompletionItem> CompletionCandidates(std::string_view prefix, const TCompletionSources& sources) {
    struct Found {
        std::string_view word;
        const std::string* hint;
        bool starts;
        int source;  // 0 the named ones, whose hints win over a document's word
    };
    std::vector<Found> found;
    static const std::string kNoHint;
    auto consider = [&](std::string_view word, const std::string* hint, int source) {
        if (word.empty()) return;
        const size_t at = FindNoCase(word, prefix);
        if (at != std::string_view::npos) found.push_back({word, hint, at == 0, source});
    };
    for (const TCompletionItem& item : sources.named) consider(item.word, &item.hint, 0);
    if (!prefix.empty()) {
        for (const TWordIndex::TWords* words : sources.documents) {
            for (const auto& [word, count] : *words) {
                // The word being typed is in the text too.
                if (word != prefix) consider(word, &kNoHint, 1);
            }
        }
        // The words beginning with the prefix lie together in the order;
        // each text's first kMaxCandidates of them are all that can be listed.
        for (const TWordIndex::TSorted* words : sources.sortedDocuments) {
            auto first = std::partition_point(words->begin(), words->end(), [&](std::string_view w) {
                return CompareFolded(w.substr(0, prefix.size()), prefix) < 0;
            });
            size_t taken = 0;
            for (auto it = first; it != words->end() && taken < kMaxCandidates; ++it) {
                if (CompareFolded(it->substr(0, prefix.size()), prefix) != 0) break;
                if (*it == prefix) continue;
                found.push_back({*it, &kNoHint, true, 1});
                ++taken;
            }
        }
    }
    // Equal names sort next to each other, the named one first; only the
    // head of a huge list is ever looked at, so it alone is ordered.
    const auto less = [](const Found& a, const Found& b) {
        if (a.starts != b.starts) return a.starts;
        if (a.word != b.word) return LessNoCase(a.word, b.word);
        return a.source < b.source;
    };
    auto distinctStarting = [&] {
        std::sort(found.begin(), found.end(), less);
        size_t n = 0;
        for (size_t i = 0; i < found.size() && found[i].starts; ++i)
            if (i == 0 || found[i].word != found[i - 1].word) ++n;
        return n;
    };
    // The words holding the prefix further on, only when those beginning
    // with it leave room in the list.
    if (!prefix.empty() && !sources.sortedDocuments.empty() && distinctStarting() < kMaxCandidates) {
        for (const TWordIndex::TSorted* words : sources.sortedDocuments)
            for (std::string_view w : *words) {
                const size_t at = FindNoCase(w, prefix);
                if (at != 0 && at != std::string_view::npos) found.push_back({w, &kNoHint, false, 1});
            }
    }
    // A name comes once from each source at most, so the head that holds
    // the first kMaxCandidates names is bounded; all is sorted only when
    // names given by several sources fill that head.
    const size_t head = std::min(found.size(), kMaxCandidates * (sources.documents.size() + sources.sortedDocuments.size() + 4));
    std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(head), found.end(), less);
    std::vector<TCompletionItem> items;
    auto collect = [&](size_t n) {
        items.clear();
        for (size_t i = 0; i < n && items.size() < kMaxCandidates; ++i)
            if (i == 0 || found[i].word != found[i - 1].word) items.push_back({std::string(found[i].word), *found[i].hint});
    };
    collect(head);
    if (items.size() < kMaxCandidates && head < found.size()) {
        std::sort(found.begin(), found.end(), less);
        collect(found.size());
    }
    return items;
}

std::vector<TCompletionItem> DefineNames(const std::string& listFile) {
    std::vector<TCompletionItem> names;
    if (!platform::FileExists(listFile)) return names;
    platform::IniFile ini;
    try {
        ini.LoadFromFile(listFile);
    } catch (const std::exception&) {
        return names;  // the define reference tells of a list it cannot read
    }
    for (const std::string& kind : ini.ReadSections()) {
        const int n = std::min(ini.ReadInteger(kind, "CNT", 0), 100000);
        for (int i = 1; i <= n; ++i) {
            const std::string k = std::to_string(i);
            std::string name = ini.ReadString(kind, "N" + k, "");
            if (name.empty()) continue;
            std::string hint = "#define " + platform::DecodeSjis(name).text + " " +
                               platform::DecodeSjis(ini.ReadString(kind, "V" + k, "")).text;
            std::string meaning = ini.ReadString(kind, "D" + k, "");
            if (!meaning.empty()) hint += "\r\n" + platform::DecodeSjis(meaning).text;
            names.push_back({std::move(name), std::move(hint)});
        }
    }
    return names;
}

// ---- The list ------------------------------------------------------------------

bool TCompletion::WordBeforeCaret(int64_t* start, std::string* word) const {
    const editor::TEditorScreenStrings& store = ed_.Store();
    const int64_t caret = ed_.SelStart() + ed_.SelLength();
    const int rows = store.Count();
    if (rows == 0) {
        *start = 0;
        word->clear();
        return caret == 0;
    }
    int row = std::min(store.RowOfOffset(caret), rows - 1);
    int64_t rowStart = store.RowOffset(row);
    std::string_view text = store.Text(row);
    size_t at = static_cast<size_t>(std::clamp<int64_t>(caret - rowStart, 0, static_cast<int64_t>(text.size())));
    size_t b = at;
    while (b > 0 && IsWordByte(static_cast<unsigned char>(text[b - 1])) && !platform::IsTrailByteAt(text, b - 1)) --b;
    *start = rowStart + static_cast<int64_t>(b);
    *word = std::string(text.substr(b, at - b));
    return true;
}

bool TCompletion::Open() {
    int64_t start = 0;
    std::string word;
    if (!WordBeforeCaret(&start, &word)) return false;
    prefix_ = word;
    start_ = start;
    items_ = provider_(prefix_);
    selected_ = 0;
    if (items_.empty()) {
        Close();
        if (OnBeep) OnBeep();
        return false;
    }
    if (items_.size() == 1) {
        visible_ = true;
        Insert();
        return true;
    }
    visible_ = true;
    Changed();
    return true;
}

void TCompletion::Close() {
    if (!visible_) return;
    visible_ = false;
    items_.clear();
    Changed();
}

void TCompletion::Move(int delta) {
    if (items_.empty()) return;
    selected_ = std::clamp(selected_ + delta, 0, static_cast<int>(items_.size()) - 1);
    Changed();
}

bool TCompletion::KeyDown(int key, int page) {
    if (!visible_) return false;
    page = std::max(1, page - 1);
    switch (key) {
        case editor::vkUp: Move(-1); return true;
        case editor::vkDown: Move(1); return true;
        case editor::vkPrior: Move(-page); return true;
        case editor::vkNext: Move(page); return true;
        case editor::vkReturn:
        case editor::vkTab: Insert(); return true;
        case 27: Close(); return true;
        default: return false;
    }
}

void TCompletion::Insert() {
    if (!visible_ || selected_ < 0 || selected_ >= static_cast<int>(items_.size())) return;
    const TCompletionItem item = items_[static_cast<size_t>(selected_)];
    const std::string& word = item.word;
    const int64_t caret = ed_.SelStart() + ed_.SelLength();
    inserting_ = true;
    // One replacement from the word's start to the caret: one undo step.
    ed_.SetSelStart(start_);
    ed_.SetSelLength(caret - start_);
    ed_.SetSelText(word);
    inserting_ = false;
    Close();
    if (OnInserted) OnInserted(item);
}

void TCompletion::Update() {
    if (!visible_ || inserting_) return;
    int64_t start = 0;
    std::string word;
    if (!WordBeforeCaret(&start, &word) || start != start_ || ed_.SelLength() != 0 || word.empty()) {
        Close();
        return;
    }
    if (word == prefix_) return;
    const std::string selected = items_.empty() ? std::string() : items_[static_cast<size_t>(selected_)].word;
    prefix_ = word;
    items_ = provider_(prefix_);
    if (items_.empty()) {
        Close();
        return;
    }
    // The name chosen stays chosen while it still matches.
    auto it = std::find_if(items_.begin(), items_.end(), [&](const TCompletionItem& i) { return i.word == selected; });
    selected_ = it == items_.end() ? 0 : static_cast<int>(it - items_.begin());
    Changed();
}

}  // namespace app
