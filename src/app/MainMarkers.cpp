// A build's messages shown in the documents they are about: each row that
// a message names carries a row mark (error or warning), drawn in the left
// bar, with the messages as its tooltip. The marks go with the next build
// or with the message window.
#include <algorithm>
#include <map>

#include "app/Childwin.h"
#include "app/MainForm.h"
#include "platform/Strings.h"

namespace app {

namespace {

constexpr editor::TRowMarks kBuildMarks =
    static_cast<editor::TRowMarks>((1u << editor::kErrorRowMark) | (1u << editor::kWarningRowMark));

}  // namespace

void TMDIChild::ClearBuildMessages() {
    if (buildMessages_.empty()) return;
    buildMessages_.clear();
    editor::TEditor& ed = *editor_;
    if (!(ed.MarksInUse() & kBuildMarks)) return;
    for (int r = 0; r < ed.RowCount(); ++r)
        if (ed.RowMarks(r) & kBuildMarks) ed.SetRowMarks(r, static_cast<editor::TRowMarks>(ed.RowMarks(r) & ~kBuildMarks));
}

void TMDIChild::SetBuildMessages(std::vector<TBuildMessage> messages) {
    ClearBuildMessages();
    editor::TEditor& ed = *editor_;
    // Lines the text does not have get no mark, and no place among the marks.
    std::erase_if(messages, [&](const TBuildMessage& m) {
        return m.line < 1 || m.line > ed.Store().LineCount() ||
               ed.Store().RowOfLine(static_cast<int>(m.line - 1)) >= ed.RowCount();
    });
    std::stable_sort(messages.begin(), messages.end(),
                     [](const TBuildMessage& a, const TBuildMessage& b) { return a.line < b.line; });
    buildMessages_ = std::move(messages);
    for (const TBuildMessage& m : buildMessages_)
        ed.PutRowMark(ed.Store().RowOfLine(static_cast<int>(m.line - 1)),
                      m.error ? editor::kErrorRowMark : editor::kWarningRowMark);
}

std::string TMDIChild::BuildMessagesAt(int row) const {
    const editor::TEditor& ed = *editor_;
    if (buildMessages_.empty() || !(ed.RowMarks(row) & kBuildMarks)) return {};
    // One group of messages per line, in order; the marked rows in order.
    std::vector<size_t> groups;  // each group's first message
    std::vector<size_t> errors{0}, warnings{0};  // groups of each kind before group i
    for (size_t i = 0; i < buildMessages_.size(); ++i) {
        if (i == 0 || buildMessages_[i].line != buildMessages_[i - 1].line) {
            groups.push_back(i);
            errors.push_back(errors.back());
            warnings.push_back(warnings.back());
        }
        // A line's mark is red when any of its messages is an error.
        if (buildMessages_[i].error) errors.back() = errors[groups.size() - 1] + 1;
        else warnings.back() = warnings[groups.size() - 1] + 1;
    }
    std::vector<int> rows;
    for (int r = 0; r < ed.RowCount(); ++r)
        if (ed.RowMarks(r) & kBuildMarks) rows.push_back(r);
    const size_t g = groups.size(), m = rows.size();
    const size_t j = static_cast<size_t>(std::find(rows.begin(), rows.end(), row) - rows.begin());
    if (j >= m || j >= g) return {};

    // Marks keep their order through edits and stay in the text, but
    // deleting a marked row, or the line breaks between marked rows, joins
    // their marks on one row. So each marked row holds the next run of
    // groups, and the marks it shows are their kinds together. While every
    // group has its own row that is one group a row; after a join, the row
    // shows each group that some split of the groups fitting all the marks
    // gives it, so where the marks cannot tell it shows more rather than a
    // wrong one.
    size_t lo = j, hi = j;  // the groups row j may hold
    const size_t extra = m < g ? g - m : 0;
    constexpr size_t kMaxWork = 1u << 22;
    if (extra > 0 && m * (extra + 1) <= kMaxWork) {
        auto fits = [&](size_t k, size_t s, size_t e) {  // row k holding groups [s, e)
            editor::TRowMarks kinds = 0;
            if (errors[e] > errors[s]) kinds |= 1u << editor::kErrorRowMark;
            if (warnings[e] > warnings[s]) kinds |= 1u << editor::kWarningRowMark;
            return kinds == (ed.RowMarks(rows[k]) & kBuildMarks);
        };
        // before[k][d]: rows before k can hold the groups before k + d;
        // after[k][d]: rows k on can hold the groups from k + d on.
        std::vector<std::vector<char>> before(m + 1, std::vector<char>(extra + 1, 0)), after = before;
        before[0][0] = 1;
        for (size_t k = 0; k < m; ++k)
            for (size_t d = 0; d <= extra; ++d)
                if (before[k][d])
                    for (size_t e = k + d + 1; e <= k + 1 + extra && e <= g; ++e)
                        if (fits(k, k + d, e)) before[k + 1][e - k - 1] = 1;
        after[m][extra] = 1;
        for (size_t k = m; k-- > 0;)
            for (size_t d = 0; d <= extra; ++d)
                for (size_t e = k + d + 1; e <= k + 1 + extra && e <= g; ++e)
                    if (after[k + 1][e - k - 1] && fits(k, k + d, e)) after[k][d] = 1;
        bool any = false;
        for (size_t d = 0; d <= extra; ++d) {
            if (!before[j][d]) continue;
            for (size_t e = j + d + 1; e <= j + 1 + extra && e <= g; ++e) {
                if (!after[j + 1][e - j - 1] || !fits(j, j + d, e)) continue;
                lo = any ? std::min(lo, j + d) : j + d;
                hi = any ? std::max(hi, e - 1) : e - 1;
                any = true;
            }
        }
        if (!any) hi = j + extra;  // marks that fit no split: every group it may hold
    } else if (extra > 0) {
        hi = j + extra;
    }
    const size_t end = hi + 1 < g ? groups[hi + 1] : buildMessages_.size();
    // The texts stay in the listing, which the marks never outlive.
    const compiler::TMsgForm* listing = main_.MarkedListing();
    if (!listing) return {};
    std::string text;
    for (size_t i = groups[lo]; i < end; ++i)
        text += (text.empty() ? "" : "\n") + compiler::ListedText(listing->Items()[buildMessages_[i].item]);
    return text;
}

void TMDIChild::ClearHitMarks() {
    editor::TEditor& ed = *editor_;
    if (!(ed.MarksInUse() & (1u << editor::kHitRowMark))) return;
    for (int r = 0; r < ed.RowCount(); ++r) ed.DeleteRowMark(r, editor::kHitRowMark);
}

void TMDIChild::MarkHitLines(const std::vector<long>& lines) {
    editor::TEditor& ed = *editor_;
    for (long line : lines) {
        if (line < 1 || line > ed.Store().LineCount()) continue;
        const int row = ed.Store().RowOfLine(static_cast<int>(line - 1));
        if (row < ed.RowCount()) ed.PutRowMark(row, editor::kHitRowMark);
    }
}

void TMainForm::ClearHitMarks() {
    hitsFrom_ = nullptr;
    for (TMDIChild* doc : DocumentWindows(nullptr)) doc->ClearHitMarks();
}

void TMainForm::PlaceHitMarks(const compiler::TMsgForm& hits, TMDIChild* only) {
    if (!only) ClearHitMarks();
    hitsFrom_ = &hits;
    std::map<TMDIChild*, std::vector<long>> lines;
    std::string file;
    TMDIChild* doc = nullptr;
    for (size_t i = 0; i < hits.Items().size(); ++i) {
        std::optional<compiler::JumpTarget> target = hits.TargetAt(i);
        if (!target) continue;
        // Hits come file by file: one look for each.
        if (target->file != file) {
            file = target->file;
            doc = JumpWindow(*target);
        }
        if (doc && (!only || doc == only)) lines[doc].push_back(target->line);
    }
    for (auto& [d, l] : lines) d->MarkHitLines(l);
}

void TMainForm::ClearBuildMarkers() {
    markersFrom_ = nullptr;
    for (auto& child : children_)
        if (auto* doc = dynamic_cast<TMDIChild*>(child.get())) doc->ClearBuildMessages();
}

std::vector<TMDIChild*> TMainForm::DocumentWindows(std::vector<std::string>* captions) const {
    std::vector<TMDIChild*> docs;
    for (const auto& child : children_) {
        if (auto* doc = dynamic_cast<TMDIChild*>(child.get())) {
            docs.push_back(doc);
            if (captions) captions->push_back(doc->Caption());
        }
    }
    return docs;
}

void TMainForm::PlaceBuildMarkers(const compiler::TMsgForm& msg) {
    ClearBuildMarkers();
    markersFrom_ = &msg;
    MarkDocuments(msg, nullptr);
}

void TMainForm::MarkDocuments(const compiler::TMsgForm& msg, TMDIChild* only) {
    std::vector<std::string> captions;
    std::vector<TMDIChild*> docs = DocumentWindows(&captions);
    if (docs.empty()) return;
    std::vector<std::vector<TMDIChild::TBuildMessage>> found(docs.size());
    const platform::WineDrives drives =
        platform::WineDrives::Read(platform::WinePrefix(platform::ProcessEnvironment()));
    size_t index = 0;
    for (auto it = msg.Items().begin(); it != msg.Items().end(); ++it, ++index) {
        std::optional<compiler::JumpTarget> target = msg.TargetAt(index);
        if (!target) continue;
        // The same window a jump from this message goes to.
        int w = compiler::FindJumpWindow(captions, compiler::LocalFileText(target->file, drives));
        if (w < 0 || (only && docs[static_cast<size_t>(w)] != only)) continue;
        found[static_cast<size_t>(w)].push_back({target->line, target->error, index});
    }
    for (size_t i = 0; i < docs.size(); ++i)
        if (!found[i].empty()) docs[i]->SetBuildMessages(std::move(found[i]));
}

}  // namespace app
