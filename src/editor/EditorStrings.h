// TEditorStrings: the editor's `Lines`, a line-indexed view over its row
// store. With word wrap a line spans several rows; every change goes through
// the store's ReplaceRows and places the caret after it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "editor/EditorScreenStrings.h"
#include "platform/Strings.h"

namespace editor {

class TEditor;

class TEditorStrings : public platform::TStrings {
public:
    explicit TEditorStrings(TEditor& editor) : editor_(editor) {}

    int Count() const override;
    std::string Get(int i) const override;
    void Put(int i, std::string_view s) override;
    void Insert(int i, std::string_view s) override;
    int Add(std::string_view s) override;
    void Delete(int i) override;
    void Clear() override;

    std::string GetTextStr() const override;
    void SetTextStr(std::string_view text) override;
    // Like SetTextStr, with the report of NUL bytes made blanks.
    TLoadReport SetText(std::string_view text);
    void Assign(const platform::TStrings& source) override;

    TLoadReport LoadFromFile(const std::string& path);
    platform::FileStamp SaveToFile(const std::string& path) const;

    void BeginUpdate() override;
    void EndUpdate() override;

    // First row of line i; RowCount when i is Count().
    int FirstRow(int line) const;

private:
    TEditorScreenStrings& Store() const;
    TLoadReport InUpdate(const std::function<TLoadReport()>& replace);
    void CheckIndex(int i, int limit) const;

    TEditor& editor_;
    int updateCount_ = 0;
};

}  // namespace editor
