// Base of the editor's option objects: a setter that changes a value calls
// Changed, which tells the owner unless an update bracket is open.
#pragma once

#include <functional>

namespace editor {

class TNotifyPersistent {
public:
    virtual ~TNotifyPersistent() = default;

    std::function<void(TNotifyPersistent&)> OnChange;

    virtual void Changed() {
        if (updateCount_ == 0 && OnChange) OnChange(*this);
    }
    virtual void BeginUpdate() { ++updateCount_; }
    virtual void EndUpdate() {
        if (updateCount_ > 0) --updateCount_;
        Changed();
    }
    virtual void ChangedBy(const TNotifyPersistent* other) {
        if (other != this) Changed();
    }

private:
    int updateCount_ = 0;
};

}  // namespace editor
