// Where the documents' completion lists take their names from.
#include "app/MainForm.h"
#include "reference/DefineView.h"

namespace app {

std::vector<TCompletionItem> TMainForm::CompletionCandidates(std::string_view prefix, editor::TEditor& ed) {
    TCompletionSources sources;
    for (const reference::KeywordEntry& e : keywords_.Entries()) sources.named.push_back({e.key, e.text});
    // The define list is read afresh, as the define reference reads it.
    for (TCompletionItem& d : DefineNames(reference::DefineListPath(programFolder_, settings_.targetHost)))
        sources.named.push_back(std::move(d));
    for (const std::string& w : ed.ReserveWordList()) sources.named.push_back({w, {}});
    for (TMDIChild* doc : DocumentWindows(nullptr)) sources.sortedDocuments.push_back(&doc->Words().Sorted());
    return app::CompletionCandidates(prefix, sources);
}

}  // namespace app
