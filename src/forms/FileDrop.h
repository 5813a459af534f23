// TFileDrop: lets a window take files dropped from the desktop and reports
// each drop to its owner. A window that can take drops is a TDropWindow (the
// view gives one to each such widget and delivers drops through it); the
// component hooks one such window at a time, chaining over whatever hook
// the window had before.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace forms {

class TFileDrop;

class TDropWindow {
public:
    TDropWindow() = default;
    // Tells the components that point at this window that it is going.
    virtual ~TDropWindow();
    TDropWindow(const TDropWindow&) = delete;
    TDropWindow& operator=(const TDropWindow&) = delete;

    bool AcceptsFiles() const { return accept_; }
    TFileDrop* Hook() const { return hook_; }
    // A drop of local files at (x, y) in window coordinates, in the order
    // the desktop gave them. False when the window does not take drops.
    bool DeliverDrop(int x, int y, const std::vector<std::string>& paths);

protected:
    // The view follows: the widget takes drags only while this is true.
    virtual void AcceptFilesChanged(bool /*accept*/) {}

private:
    friend class TFileDrop;
    void SetAcceptFiles(bool accept);
    void Watch(TFileDrop* drop);
    void Unwatch(TFileDrop* drop);

    TFileDrop* hook_ = nullptr;
    bool accept_ = false;
    std::vector<TFileDrop*> watchers_;
};

class EFileDrop : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TFileDrop {
public:
    using TFileDropEvent = std::function<void(TFileDrop& sender, int count, int x, int y,
                                              const std::vector<std::string>& paths)>;
    // `owner`: the form's window, the target when Control is unset.
    explicit TFileDrop(TDropWindow* owner);
    ~TFileDrop();
    TFileDrop(const TFileDrop&) = delete;
    TFileDrop& operator=(const TFileDrop&) = delete;

    bool Accept() const { return accept_; }
    void SetAccept(bool accept);
    TDropWindow* Control() const { return control_; }
    void SetControl(TDropWindow* control);
    TFileDropEvent OnFileDrop;
    // Reports an exception thrown by OnFileDrop, as the program reports
    // any exception it did not expect.
    std::function<void(const std::exception&)> OnException;

    // The owner has loaded: hooks the target. Throws EFileDrop
    // "Invalidate Window Handle in FileDrop" when there is none.
    void Loaded();
    TDropWindow* Hooked() const { return hooked_; }

private:
    friend class TDropWindow;
    void Hook();
    void Unhook();
    void WindowFreed(TDropWindow* window);
    bool Drop(int x, int y, const std::vector<std::string>& paths);

    TDropWindow* owner_;
    TDropWindow* control_ = nullptr;
    bool accept_ = true;
    bool loaded_ = false;
    TDropWindow* hooked_ = nullptr;
    // What the hooked window had before: restored on unhooking.
    TFileDrop* previousHook_ = nullptr;
    bool previousAccept_ = false;
};

}  // namespace forms
