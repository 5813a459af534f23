// The colouring definition: colour records, bracket items (block comments
// and the like), the reserved word list, and the settings of the editor's
// scanner. Every change notifies the fountain's listeners.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditorProperties.h"

namespace editor {

class TFountainParser;

// Raised when a 15th bracket item is added.
class EFountainBracketError : public std::runtime_error {
public:
    EFountainBracketError();
};

using TEditorColor = TFountainColor;

struct TFountainBracketItem {
    std::string leftBracket;   // Shift-JIS
    std::string rightBracket;
    TFountainColor itemColor;
    bool operator==(const TFountainBracketItem&) const = default;
};

// The bracket items in order; a fountain holds at most kMaxBrackets.
using TFountainBracketCollection = std::vector<TFountainBracketItem>;

class TFountain {
public:
    static constexpr int kMaxBrackets = 14;  // the row state keeps index + 2 in four bits
    using Listener = std::function<void()>;

    TFountain() = default;
    TFountain(const TFountain&) = delete;
    TFountain& operator=(const TFountain&) = delete;
    virtual ~TFountain();

    const TFountainBracketCollection& Brackets() const { return brackets_; }
    void SetBrackets(TFountainBracketCollection items);
    void AddBracket(TFountainBracketItem item);
    const TFountainColor& Reserve() const { return reserve_; }
    void SetReserve(const TFountainColor& c);
    // Sorted, without duplicates.
    const std::vector<std::string>& ReserveWordList() const { return words_; }
    void SetReserveWordList(std::vector<std::string> words);
    bool IsReserveWord(std::string_view word) const;

    // `destroyed` is called when the fountain goes away before the listener
    // unsubscribed, so that a user never keeps a dangling fountain.
    int Subscribe(Listener l, Listener destroyed = nullptr);
    void Unsubscribe(int id);
    // Changes made inside an update notify once at its end.
    void BeginUpdate() { ++updating_; }
    void EndUpdate();

protected:
    void Changed();
    // Stores `value` and notifies, unless it is the value held already.
    template <class T>
    void Assign(T& field, T value) {
        if (field == value) return;
        field = std::move(value);
        Changed();
    }

private:
    TFountainBracketCollection brackets_;
    TFountainColor reserve_;
    std::vector<std::string> words_;
    struct Subscriber {
        int id;
        Listener changed, destroyed;
    };
    std::vector<Subscriber> listeners_;
    int nextListener_ = 1;
    int updating_ = 0;
    bool pending_ = false;
};

class TEditorFountain : public TFountain {
public:
    TEditorFountain();

    // The eleven records; Reserve reads and writes the fountain's own.
    const TEditorColors& Colors() const { return colors_; }
    void SetColors(const TEditorColors& colors);
    const std::string& Commenter() const { return commenter_; }
    void SetCommenter(std::string s);
    bool ControlCode() const { return controlCode_; }
    void SetControlCode(bool on);
    const std::string& HexPrefix() const { return hexPrefix_; }
    void SetHexPrefix(std::string s);
    bool Mail() const { return mail_; }
    void SetMail(bool on);
    // Only the first character counts.
    const std::string& Quotation() const { return quotation_; }
    void SetQuotation(std::string s);
    bool Url() const { return url_; }
    void SetUrl(bool on);
    // Every bracket item's background, text colour or style at once (one notification).
    void SetBracketsBkColor(TColor c);
    void SetBracketsColor(TColor c);
    void SetBracketsStyle(uint8_t style);
    // Whether any record has the italic style (painting then draws every token).
    bool AnyItalic() const;

private:
    TEditorColors colors_;
    std::string commenter_;
    bool controlCode_ = false;
    std::string hexPrefix_;
    bool mail_ = false;
    std::string quotation_;
    bool url_ = false;
};

// The editor's View: owns the editor's own colouring definition and
// publishes its settings. Setting a value equal to the current one does
// nothing, so listeners only hear of real changes.
class TEditorViewInfo {
public:
    TEditorFountain& Fountain() { return fountain_; }
    const TEditorFountain& Fountain() const { return fountain_; }

    const std::vector<TFountainBracketItem>& Brackets() const { return fountain_.Brackets(); }
    void SetBrackets(std::vector<TFountainBracketItem> items) { fountain_.SetBrackets(std::move(items)); }
    const TEditorColors& Colors() const { return fountain_.Colors(); }
    void SetColors(const TEditorColors& colors) { fountain_.SetColors(colors); }
    const std::string& Commenter() const { return fountain_.Commenter(); }
    void SetCommenter(std::string s) { fountain_.SetCommenter(std::move(s)); }
    bool ControlCode() const { return fountain_.ControlCode(); }
    void SetControlCode(bool on) { fountain_.SetControlCode(on); }
    const std::string& HexPrefix() const { return fountain_.HexPrefix(); }
    void SetHexPrefix(std::string s) { fountain_.SetHexPrefix(std::move(s)); }
    bool Mail() const { return fountain_.Mail(); }
    void SetMail(bool on) { fountain_.SetMail(on); }
    const std::string& Quotation() const { return fountain_.Quotation(); }
    void SetQuotation(std::string s) { fountain_.SetQuotation(std::move(s)); }
    bool Url() const { return fountain_.Url(); }
    void SetUrl(bool on) { fountain_.SetUrl(on); }
    // Several settings at once: listeners hear once, at the end.
    void BeginUpdate() { fountain_.BeginUpdate(); }
    void EndUpdate() { fountain_.EndUpdate(); }

private:
    TEditorFountain fountain_;
};

}  // namespace editor
