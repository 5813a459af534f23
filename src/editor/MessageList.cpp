#include "editor/MessageList.h"

#include "editor/Editor.h"

namespace editor {

TMacroTarget::~TMacroTarget() { LeaveRecorder(); }

void TMacroTarget::LeaveRecorder() {
    if (boundTo_) boundTo_->SetTarget(nullptr);
}

void TMacroTarget::Observe(uint32_t message, uint32_t wParam, uint32_t lParam, const TKeyState& keys) {
    if (recorder_) recorder_->Record(message, wParam, lParam, keys);
}

TMessageList::TMessageList(TMacroTarget* target) { SetTarget(target); }

TMessageList::~TMessageList() {
    if (state_ == msRecording) StopRecord();
    if (state_ == msPlaying) StopPlay();
    if (target_) target_->boundTo_ = nullptr;
    Clear();
}

void TMessageList::Attach() {
    if (target_) target_->recorder_ = this;
}

void TMessageList::Detach() {
    if (target_ && target_->recorder_ == this) target_->recorder_ = nullptr;
}

void TMessageList::SetTarget(TMacroTarget* target) {
    if (target == target_) return;
    if (state_ == msRecording) {
        if (!target) {
            CancelRecord();
        } else {
            Detach();
        }
    }
    if (target_ && target_->boundTo_ == this) target_->boundTo_ = nullptr;
    target_ = target;
    if (target_) {
        // One recorder per window.
        if (target_->boundTo_ && target_->boundTo_ != this) target_->boundTo_->SetTarget(nullptr);
        target_->boundTo_ = this;
        if (state_ == msRecording) Attach();
    } else if (state_ == msPlaying) {
        // Nothing left to play into.
        StopPlay();
    }
}

void TMessageList::StartRecord() {
    if (!target_ || state_ == msRecording || state_ == msPlaying) return;
    Clear();
    pendingImeChars_ = 0;
    state_ = msRecording;
    Attach();
}

void TMessageList::StopRecord() {
    if (state_ != msRecording) return;
    state_ = msStopped;
    Detach();
}

void TMessageList::CancelRecord() {
    if (state_ != msRecording) return;
    StopRecord();
    Clear();
    state_ = msIdle;
}

void TMessageList::Record(uint32_t message, uint32_t wParam, uint32_t lParam, const TKeyState& keys) {
    if (state_ != msRecording) return;
    if (message != mmKeyDownNotify && message != mmCharNotify && message != mmImeChar) return;
    if (message == mmImeChar) {
        ++pendingImeChars_;
    } else if (message == mmCharNotify && pendingImeChars_ > 0) {
        // The character message that follows an input-method character
        // repeats it.
        --pendingImeChars_;
        return;
    }
    // Keys with Alt do nothing in the editor, and a record keeps no Alt
    // state: played back, Ctrl+Alt+Z would be Ctrl+Z.
    if (keys.alt && message != mmImeChar) return;
    records_.push_back({message, static_cast<uint16_t>(wParam), lParam, static_cast<uint8_t>(keys.shift ? 0x80 : 0),
                        static_cast<uint8_t>(keys.ctrl ? 0x80 : 0)});
}

void TMessageList::Play() {
    if (state_ != msStopped || !target_ || records_.empty()) return;
    state_ = msPlaying;
    const size_t count = records_.size();
    for (size_t i = 0; i < count; ++i) {
        // The list is not changed while playing: StartRecord and Clear
        // wait for the stopped state.
        const TMessageRecord rec = records_[i];
        TKeyState keys;
        keys.shift = rec.shiftState & 0x80;
        keys.ctrl = rec.controlState & 0x80;
        if (TMacroTarget* target = target_) {
            if (rec.message == mmImeChar) {
                target->SendMacroMessage(rec.message, rec.wParam, rec.lParam, keys);
            } else if (target->SendMacroMessage(rec.message, rec.wParam, rec.lParam, keys) == 0 && target_ == target) {
                target->SendMacroMessage(rec.message - kNotifyBase, rec.wParam, rec.lParam, keys);
            }
        }
        if (ProcessMessages) ProcessMessages();
        if (state_ != msPlaying) {
            if (OnInterrupted) OnInterrupted();
            return;
        }
    }
    state_ = msStopped;
}

void TMessageList::StopPlay() {
    if (state_ == msPlaying) state_ = msStopped;
}

}  // namespace editor
