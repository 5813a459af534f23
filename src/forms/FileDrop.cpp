#include "forms/FileDrop.h"

#include <algorithm>
#include <cstdio>

namespace forms {

TDropWindow::~TDropWindow() {
    // A component may stop watching while it is told; work on a copy.
    std::vector<TFileDrop*> watchers = watchers_;
    for (TFileDrop* drop : watchers) drop->WindowFreed(this);
}

bool TDropWindow::DeliverDrop(int x, int y, const std::vector<std::string>& paths) {
    if (!accept_ || !hook_ || paths.empty()) return false;
    return hook_->Drop(x, y, paths);
}

void TDropWindow::SetAcceptFiles(bool accept) {
    if (accept == accept_) return;
    accept_ = accept;
    AcceptFilesChanged(accept);
}

void TDropWindow::Watch(TFileDrop* drop) {
    if (std::find(watchers_.begin(), watchers_.end(), drop) == watchers_.end()) watchers_.push_back(drop);
}

void TDropWindow::Unwatch(TFileDrop* drop) { std::erase(watchers_, drop); }

TFileDrop::TFileDrop(TDropWindow* owner) : owner_(owner) {
    if (owner_) owner_->Watch(this);
}

TFileDrop::~TFileDrop() {
    Unhook();
    for (TDropWindow* w : {owner_, control_})
        if (w) w->Unwatch(this);
}

void TFileDrop::SetAccept(bool accept) {
    accept_ = accept;
    if (hooked_) hooked_->SetAcceptFiles(accept);
}

void TFileDrop::SetControl(TDropWindow* control) {
    if (control == control_) return;
    if (loaded_) Unhook();
    TDropWindow* old = control_;
    control_ = control;
    if (control_) control_->Watch(this);
    if (old && old != owner_ && old != control_) old->Unwatch(this);
    if (loaded_) Hook();
}

void TFileDrop::Loaded() {
    loaded_ = true;
    Hook();
}

void TFileDrop::Hook() {
    TDropWindow* target = control_ ? control_ : owner_;
    if (!target) throw EFileDrop("Invalidate Window Handle in FileDrop");
    hooked_ = target;
    hooked_->Watch(this);
    previousHook_ = target->hook_;
    previousAccept_ = target->accept_;
    target->hook_ = this;
    target->SetAcceptFiles(accept_);
}

void TFileDrop::Unhook() {
    TDropWindow* w = hooked_;
    if (!w) return;
    hooked_ = nullptr;
    if (w->hook_ == this) {
        w->hook_ = previousHook_;
        w->SetAcceptFiles(previousHook_ ? previousHook_->accept_ : previousAccept_);
    } else {
        // Hooked over since: take this component out of the chain without
        // cutting off the ones above it.
        for (TFileDrop* d = w->hook_; d; d = d->previousHook_) {
            if (d->previousHook_ == this) {
                d->previousHook_ = previousHook_;
                d->previousAccept_ = previousAccept_;
                break;
            }
        }
    }
    previousHook_ = nullptr;
    if (w != owner_ && w != control_) w->Unwatch(this);
}

void TFileDrop::WindowFreed(TDropWindow* window) {
    if (window == hooked_) {
        // Nothing to restore on a window that is going.
        hooked_ = nullptr;
        previousHook_ = nullptr;
    }
    if (window == control_) {
        control_ = nullptr;
        accept_ = false;
    }
    if (window == owner_) owner_ = nullptr;
}

bool TFileDrop::Drop(int x, int y, const std::vector<std::string>& paths) {
    if (!OnFileDrop) return true;
    try {
        OnFileDrop(*this, static_cast<int>(paths.size()), x, y, paths);
    } catch (const std::exception& e) {
        if (OnException)
            OnException(e);
        else
            std::fprintf(stderr, "%s\n", e.what());
    }
    return true;
}

}  // namespace forms
