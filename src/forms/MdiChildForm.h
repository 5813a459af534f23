// What every MDI child of the main window shares: its kind, its caption, and
// the close protocol the main window runs.
#pragma once

#include <functional>
#include <string>

namespace forms {

enum class ChildKind { Document, Message, Project };

class TMdiChildForm {
public:
    explicit TMdiChildForm(ChildKind kind) : kind_(kind) {}
    virtual ~TMdiChildForm() = default;
    TMdiChildForm(const TMdiChildForm&) = delete;
    TMdiChildForm& operator=(const TMdiChildForm&) = delete;

    ChildKind Kind() const { return kind_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) {
        caption_ = caption;
        Changed();
    }

    // Whether the window may close now (it may ask the user).
    virtual bool FormCloseQuery() { return true; }
    // The window is about to go.
    virtual void FormClose() {}

    // The view re-reads the form's state when this fires.
    std::function<void()> OnChanged;

protected:
    void Changed() {
        if (OnChanged) OnChanged();
    }

private:
    ChildKind kind_;
    std::string caption_;
};

}  // namespace forms
