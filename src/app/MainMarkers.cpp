// A build's messages shown in the documents they are about: each row that
// a message names carries a row mark (error or warning), drawn in the left
// bar, with the messages as its tooltip. The marks go with the next build
// or with the message window.
#include <algorithm>

#include "app/Childwin.h"
#include "app/MainForm.h"
#include "platform/Strings.h"

namespace app {

namespace {

constexpr editor::TRowMarks kBuildMarks =
    static_cast<editor::TRowMarks>((1u << editor::kErrorRowMark) | (1u << editor::kWarningRowMark));

bool IsError(const std::string& message) {
    // The kind word stands after the ": " that follows the line number.
    size_t colon = message.find(": ", message.find(')'));
    return colon != std::string::npos && message.find("error", colon) != std::string::npos &&
           (message.find("warning", colon) == std::string::npos ||
            message.find("error", colon) < message.find("warning", colon));
}

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
    const int lines = ed.Store().LinesBefore(ed.RowCount()) + 1;
    // Lines the text does not have get no mark.
    std::erase_if(messages, [&](const TBuildMessage& m) { return m.line < 1 || m.line > lines; });
    std::stable_sort(messages.begin(), messages.end(),
                     [](const TBuildMessage& a, const TBuildMessage& b) { return a.line < b.line; });
    buildMessages_ = std::move(messages);
    for (const TBuildMessage& m : buildMessages_) {
        const int row = ed.Store().RowOfLine(static_cast<int>(m.line - 1));
        if (row < 0 || row >= ed.RowCount()) continue;
        ed.PutRowMark(row, m.error ? editor::kErrorRowMark : editor::kWarningRowMark);
    }
}

std::string TMDIChild::BuildMessagesAt(int row) const {
    const editor::TEditor& ed = *editor_;
    if (buildMessages_.empty() || !(ed.RowMarks(row) & kBuildMarks)) return {};
    // The how-manieth marked row this is picks the line's messages.
    size_t k = 0;
    for (int r = 0; r < row; ++r)
        if (ed.RowMarks(r) & kBuildMarks) ++k;
    std::string text;
    size_t group = 0;
    for (size_t i = 0; i < buildMessages_.size(); ++i) {
        if (i > 0 && buildMessages_[i].line != buildMessages_[i - 1].line) ++group;
        if (group == k) text += (text.empty() ? "" : "\n") + buildMessages_[i].text;
        if (group > k) break;
    }
    return text;
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

void TMainForm::PlaceBuildMarkers(const build::TMsgForm& msg) {
    ClearBuildMarkers();
    markersFrom_ = &msg;
    MarkDocuments(msg, nullptr);
}

void TMainForm::MarkDocuments(const build::TMsgForm& msg, TMDIChild* only) {
    std::vector<std::string> captions;
    std::vector<TMDIChild*> docs = DocumentWindows(&captions);
    if (docs.empty()) return;
    std::vector<std::vector<TMDIChild::TBuildMessage>> found(docs.size());
    for (std::string_view item : msg.Items()) {
        std::string line(item);
        std::optional<build::JumpTarget> target = build::ParseJumpTarget(line);
        if (!target) continue;
        // The same window a jump from this message goes to.
        int w = build::FindJumpWindow(captions, target->file);
        if (w < 0 || (only && docs[static_cast<size_t>(w)] != only)) continue;
        found[static_cast<size_t>(w)].push_back({target->line, IsError(line), build::ListedText(line)});
    }
    for (size_t i = 0; i < docs.size(); ++i)
        if (!found[i].empty()) docs[i]->SetBuildMessages(std::move(found[i]));
}

}  // namespace app
