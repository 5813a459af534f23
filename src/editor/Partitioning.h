// Start offsets of consecutive parts (rows) kept as prefix sums in a gap
// buffer. A change of one part's length shifts every later start; that shift
// is held as a pending step over a suffix and applied lazily, so edits near
// one another cost about their distance, not the number of parts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "editor/SplitVector.h"

namespace editor {

class Partitioning {
public:
    Partitioning() { starts_.PushBack(0); }

    size_t Parts() const { return starts_.size() - 1; }

    // Start of part i; Start(Parts()) is the total length.
    int64_t Start(size_t i) const {
        int64_t v = starts_[i];
        return static_cast<ptrdiff_t>(i) > stepIndex_ ? v + stepLength_ : v;
    }
    int64_t Length(size_t i) const { return Start(i + 1) - Start(i); }
    int64_t Total() const { return Start(Parts()); }

    // Inserts part i (0 <= i <= Parts()) with the given length.
    void InsertPart(size_t i, int64_t length) {
        int64_t start = Start(i);
        RawInsert(i, start);
        ChangeLength(i, length);
    }

    // Inserts `count` parts of length 0 at i.
    void InsertEmptyParts(size_t i, size_t count) {
        if (count == 0) return;
        int64_t start = Start(i);
        ApplyStepThrough(i);  // the new entries and the old entry i stay exact
        starts_.InsertZeroed(i, count);
        for (size_t k = 0; k < count; ++k) starts_[i + k] = start;
        stepIndex_ += static_cast<ptrdiff_t>(count);
    }

    // Inserts `count` parts of the same length at i.
    void InsertUniformParts(size_t i, size_t count, int64_t length) {
        if (count == 0) return;
        int64_t start = Start(i);
        InsertEmptyParts(i, count);
        for (size_t k = 1; k < count; ++k) starts_[i + k] = start + static_cast<int64_t>(k) * length;
        ChangeLength(i + count - 1, static_cast<int64_t>(count) * length);
    }

    void RemoveParts(size_t i, size_t count) {
        if (count == 0) return;
        int64_t removed = Start(i + count) - Start(i);
        ChangeLength(i + count - 1, -removed);
        // Entry i already holds the start of the part that follows the removed
        // ones; entries i+1 .. i+count are dropped.
        ApplyStepThrough(i + count);
        starts_.Erase(i + 1, count);
        stepIndex_ -= static_cast<ptrdiff_t>(count);
    }

    // Part i grew by delta: every later start shifts.
    void ChangeLength(size_t i, int64_t delta) {
        if (delta == 0) return;
        ptrdiff_t p = static_cast<ptrdiff_t>(i);
        if (stepLength_ != 0 && p != stepIndex_) {
            if (p > stepIndex_) {
                ApplyStepThrough(i);
            } else if (stepIndex_ - p <= static_cast<ptrdiff_t>(starts_.size()) - stepIndex_) {
                BackStepTo(p);
            } else {
                ApplyStepThrough(starts_.size() - 1);
            }
        }
        stepIndex_ = p;
        stepLength_ += delta;
    }

    // The first part whose end lies beyond `offset`, i.e. the part holding it;
    // Parts() when the offset is at or past the total.
    size_t PartOfOffset(int64_t offset) const {
        size_t lo = 1, hi = starts_.size();  // search ends in [1, size]
        while (lo < hi) {
            size_t mid = lo + (hi - lo) / 2;
            if (Start(mid) > offset) hi = mid;
            else lo = mid + 1;
        }
        return lo - 1;
    }

    void Clear() {
        // A small array is kept for the parts to come (scratch lists are
        // emptied and filled again for every edit).
        if (starts_.capacity() > kKeptCapacity) starts_.Clear();
        else starts_.Erase(0, starts_.size());
        starts_.PushBack(0);
        stepIndex_ = 0;
        stepLength_ = 0;
    }

    // Replaces the contents with parts of the given lengths, built in one pass.
    template <typename LengthOf>
    void Assign(size_t parts, LengthOf lengthOf) {
        if (starts_.capacity() > kKeptCapacity || starts_.capacity() < parts + 1) {
            starts_.Clear();
            starts_.SetCapacity(parts + 1);
        } else {
            starts_.Erase(0, starts_.size());
        }
        int64_t pos = 0;
        starts_.InsertZeroed(0, parts + 1);
        for (size_t i = 0; i < parts; ++i) {
            starts_[i] = pos;
            pos += lengthOf(i);
        }
        starts_[parts] = pos;
        stepIndex_ = static_cast<ptrdiff_t>(parts);
        stepLength_ = 0;
    }

    void Reserve(size_t parts) {
        if (parts + 1 > starts_.capacity()) starts_.SetCapacity(parts + 1);
    }

private:
    void RawInsert(size_t i, int64_t value) {
        ApplyStepThrough(i);
        starts_.Insert(i, value);
        ++stepIndex_;
    }

    // Entries up to and including i become exact.
    void ApplyStepThrough(size_t i) {
        ptrdiff_t last = static_cast<ptrdiff_t>(starts_.size()) - 1;
        ptrdiff_t p = static_cast<ptrdiff_t>(i) < last ? static_cast<ptrdiff_t>(i) : last;
        if (p <= stepIndex_) return;
        if (stepLength_ != 0)
            for (ptrdiff_t k = stepIndex_ + 1; k <= p; ++k) starts_[k] += stepLength_;
        stepIndex_ = p;
        if (stepIndex_ == last) stepLength_ = 0;
    }

    // Entries after p carry the step again.
    void BackStepTo(ptrdiff_t p) {
        for (ptrdiff_t k = p + 1; k <= stepIndex_; ++k) starts_[k] -= stepLength_;
        stepIndex_ = p;
    }

    static constexpr size_t kKeptCapacity = 256;

    SplitVector<int64_t> starts_;
    ptrdiff_t stepIndex_ = 0;    // entries with a higher index lack stepLength_
    int64_t stepLength_ = 0;
};

}  // namespace editor
