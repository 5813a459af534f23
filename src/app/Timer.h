// A form's timer. Every handler of this program first disables its own
// timer, so each enabling fires once: a one-shot desktop timer does it.
#pragma once

#include <functional>

#include "platform/Ui.h"

namespace app {

class TTimer {
public:
    TTimer(platform::Ui& ui, int intervalMs, std::function<void()> onTimer)
        : ui_(ui), interval_(intervalMs), onTimer_(std::move(onTimer)) {}
    ~TTimer() { SetEnabled(false); }
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return enabled_; }
    int Interval() const { return interval_; }
    // Enabling a running timer leaves it running.
    void SetEnabled(bool on) {
        if (on == enabled_) return;
        enabled_ = on;
        if (on) {
            id_ = ui_.StartTimer(interval_, [this] {
                enabled_ = false;
                if (onTimer_) onTimer_();
            });
        } else {
            ui_.StopTimer(id_);
        }
    }

private:
    platform::Ui& ui_;
    int interval_;
    std::function<void()> onTimer_;
    bool enabled_ = false;
    platform::TimerId id_ = 0;
};

}  // namespace app
