// A gap buffer of trivially copyable elements: inserting or removing at a
// place costs about the distance from the previous place, so editing near
// one spot of a multi-million element array stays cheap.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace editor {

template <typename T>
class SplitVector {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved with memmove");

public:
    SplitVector() = default;
    SplitVector(const SplitVector&) = delete;
    SplitVector& operator=(const SplitVector&) = delete;
    SplitVector(SplitVector&& o) noexcept { Swap(o); }
    SplitVector& operator=(SplitVector&& o) noexcept {
        if (this != &o) {
            Release();
            Swap(o);
        }
        return *this;
    }
    ~SplitVector() { Release(); }

    size_t size() const { return size_; }
    size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }

    T& operator[](size_t i) {
        assert(i < size_);
        return data_[i < gapStart_ ? i : i + (capacity_ - size_)];
    }
    const T& operator[](size_t i) const {
        assert(i < size_);
        return data_[i < gapStart_ ? i : i + (capacity_ - size_)];
    }

    // The elements from i on that lie together in memory: their count goes
    // to *n (at least 1 for i < size()).
    const T* Run(size_t i, size_t* n) const {
        assert(i < size_);
        if (i < gapStart_) {
            *n = gapStart_ - i;
            return data_ + i;
        }
        *n = size_ - i;
        return data_ + i + (capacity_ - size_);
    }

    // Reallocates to exactly `cap` elements (never below size()). A large
    // array goes to realloc, which moves its pages rather than copying them,
    // so the old and the new array are never both held; the elements after
    // the gap move to the new end, as in a copy. A small one is copied.
    void SetCapacity(size_t cap) {
        if (cap < size_) cap = size_;
        if (cap == capacity_) return;
        if (size_ * sizeof(T) >= kRemapBytes) {
            const size_t after = size_ - gapStart_;
            if (cap < capacity_) {
                std::memmove(static_cast<void*>(data_ + cap - after), data_ + capacity_ - after, after * sizeof(T));
                T* fresh = static_cast<T*>(std::realloc(static_cast<void*>(data_), cap * sizeof(T)));
                if (!fresh) {
                    std::memmove(static_cast<void*>(data_ + capacity_ - after), data_ + cap - after, after * sizeof(T));
                    throw std::bad_alloc();
                }
                data_ = fresh;
            } else {
                T* fresh = static_cast<T*>(std::realloc(static_cast<void*>(data_), cap * sizeof(T)));
                if (!fresh) throw std::bad_alloc();
                data_ = fresh;
                std::memmove(static_cast<void*>(data_ + cap - after), data_ + capacity_ - after, after * sizeof(T));
            }
            capacity_ = cap;
            return;
        }
        T* fresh = nullptr;
        if (cap > 0) {
            fresh = static_cast<T*>(std::malloc(cap * sizeof(T)));
            if (!fresh) throw std::bad_alloc();
        }
        if (size_ > 0) {
            size_t after = size_ - gapStart_;
            std::memcpy(fresh, data_, gapStart_ * sizeof(T));
            std::memcpy(fresh + cap - after, data_ + capacity_ - after, after * sizeof(T));
        }
        std::free(data_);
        data_ = fresh;
        capacity_ = cap;
    }

    // Opens `count` zeroed elements at `pos`.
    void InsertZeroed(size_t pos, size_t count) {
        assert(pos <= size_);
        if (count == 0) return;
        if (capacity_ - size_ < count) SetCapacity(GrowTo(size_ + count));
        MoveGap(pos);
        std::memset(static_cast<void*>(data_ + gapStart_), 0, count * sizeof(T));
        gapStart_ += count;
        size_ += count;
    }

    void Insert(size_t pos, const T& value) {
        InsertZeroed(pos, 1);
        (*this)[pos] = value;
    }

    void PushBack(const T& value) { Insert(size_, value); }

    // Appends n elements copied from p.
    void Append(const T* p, size_t n) {
        if (n == 0) return;
        if (capacity_ - size_ < n) SetCapacity(GrowTo(size_ + n));
        MoveGap(size_);
        std::memcpy(static_cast<void*>(data_ + gapStart_), p, n * sizeof(T));
        gapStart_ += n;
        size_ += n;
    }

    void Erase(size_t pos, size_t count) {
        assert(pos + count <= size_);
        if (count == 0) return;
        if (pos + count == gapStart_) {
            gapStart_ = pos;
        } else {
            MoveGap(pos);
        }
        size_ -= count;
    }

    void Clear() {
        Release();
    }

    // Makes the elements [0, size) contiguous and returns them.
    T* Contiguous() {
        MoveGap(size_);
        return data_;
    }

private:
    static constexpr size_t kRemapBytes = size_t{1} << 20;

    size_t GrowTo(size_t needed) const {
        size_t cap = capacity_ + capacity_ / 2 + 16;
        return cap < needed ? needed : cap;
    }

    void MoveGap(size_t pos) {
        if (pos == gapStart_) return;
        size_t gap = capacity_ - size_;
        if (gap == 0) {
            gapStart_ = pos;
            return;
        }
        if (pos < gapStart_) {
            std::memmove(static_cast<void*>(data_ + pos + gap), data_ + pos, (gapStart_ - pos) * sizeof(T));
        } else {
            std::memmove(static_cast<void*>(data_ + gapStart_), data_ + gapStart_ + gap, (pos - gapStart_) * sizeof(T));
        }
        gapStart_ = pos;
    }

    void Release() {
        std::free(data_);
        data_ = nullptr;
        size_ = capacity_ = gapStart_ = 0;
    }

    void Swap(SplitVector& o) {
        std::swap(data_, o.data_);
        std::swap(size_, o.size_);
        std::swap(capacity_, o.capacity_);
        std::swap(gapStart_, o.gapStart_);
    }

    T* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    size_t gapStart_ = 0;
};

}  // namespace editor
