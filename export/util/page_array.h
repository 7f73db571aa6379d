#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

#include "export/util/page_buffer.h"

// A growable array of plain values in zero-filled pages (see PageBuffer), for the per-cell and
// per-string tables of a save. Values must be trivially copyable.
template <class T>
class PageArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PageArray() = default;
    PageArray(PageArray&& other) noexcept
        : pages_(std::move(other.pages_)),
          size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    PageArray& operator=(PageArray&& other) noexcept {
        pages_ = std::move(other.pages_);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        return *this;
    }

    void Reserve(std::size_t capacity) {
        if (capacity <= capacity_) return;
        PageBuffer bigger(capacity * sizeof(T));
        if (size_ > 0) std::memcpy(bigger.data(), pages_.data(), size_ * sizeof(T));
        pages_ = std::move(bigger);
        capacity_ = capacity;
    }
    void PushBack(const T& value) {
        if (size_ == capacity_) Reserve(capacity_ == 0 ? 256 : 2 * capacity_);
        Data()[size_++] = value;
    }
    // Back to empty, returning the memory.
    void Clear() {
        pages_ = PageBuffer();
        size_ = capacity_ = 0;
    }

    std::size_t Size() const { return size_; }
    T& operator[](std::size_t index) { return Data()[index]; }
    const T& operator[](std::size_t index) const { return Data()[index]; }
    T* begin() { return Data(); }
    T* end() { return Data() + size_; }
    const T* begin() const { return Data(); }
    const T* end() const { return Data() + size_; }

private:
    T* Data() { return reinterpret_cast<T*>(pages_.data()); }
    const T* Data() const { return reinterpret_cast<const T*>(pages_.data()); }

    PageBuffer pages_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};
