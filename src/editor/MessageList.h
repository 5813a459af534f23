// TMessageList: the keyboard macro recorder. While recording it observes
// the key messages that reach its target (the focused editor's window);
// playback sends them back to the target in the same order with the
// modifiers they had.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace editor {

struct TKeyState;
class TMessageList;

// The recorded message kinds. A notification is offered to the shortcut
// handling first; when nothing consumed it, the plain message (the kind
// less kNotifyBase) goes to the editor.
enum TMacroMessage : uint32_t {
    mmKeyDown = 0x0100,
    mmChar = 0x0102,
    mmImeChar = 0x0286,  // one (double-byte) character from the input method
    mmKeyDownNotify = 0xBD00,
    mmCharNotify = 0xBD02,
};
constexpr uint32_t kNotifyBase = 0xBC00;

// A window a macro records from and plays into.
class TMacroTarget {
public:
    virtual ~TMacroTarget();
    // Handles one message as if it came from the keyboard with `keys` held;
    // for a notification, non-zero when it was consumed.
    virtual intptr_t SendMacroMessage(uint32_t message, uint16_t wParam, uint32_t lParam, const TKeyState& keys) = 0;
    // The recorder observing this window's messages, or none.
    TMessageList* Recorder() const { return recorder_; }
    // Every message that reaches the window is shown to the recorder first.
    void Observe(uint32_t message, uint32_t wParam, uint32_t lParam, const TKeyState& keys);
    // The window goes away: the recorder forgets it (a recording is
    // cancelled, a playback stopped).
    void LeaveRecorder();

private:
    friend class TMessageList;
    TMessageList* recorder_ = nullptr;
    TMessageList* boundTo_ = nullptr;  // the recorder whose target this is
};

struct TMessageRecord {
    uint32_t message = 0;
    uint16_t wParam = 0;
    uint32_t lParam = 0;
    uint8_t shiftState = 0;    // 0x80 when Shift was down
    uint8_t controlState = 0;  // 0x80 when Ctrl was down
};

class TMessageList {
public:
    enum TState { msIdle = 0, msRecording = 1, msStopped = 2, msPlaying = 3 };

    explicit TMessageList(TMacroTarget* target = nullptr);
    ~TMessageList();
    TMessageList(const TMessageList&) = delete;
    TMessageList& operator=(const TMessageList&) = delete;

    TState State() const { return state_; }
    TMacroTarget* Target() const { return target_; }
    const std::vector<TMessageRecord>& Records() const { return records_; }

    void SetTarget(TMacroTarget* target);
    void StartRecord();
    void StopRecord();
    void CancelRecord();
    void Play();
    void StopPlay();
    void Clear() { records_.clear(); }

    // The target's messages while recording.
    void Record(uint32_t message, uint32_t wParam, uint32_t lParam, const TKeyState& keys);

    // Between played messages: lets the application handle what is pending.
    std::function<void()> ProcessMessages;
    // A playback that StopPlay ended early.
    std::function<void()> OnInterrupted;

private:
    void Attach();
    void Detach();

    TMacroTarget* target_ = nullptr;
    std::vector<TMessageRecord> records_;
    int pendingImeChars_ = 0;
    TState state_ = msIdle;
};

}  // namespace editor
