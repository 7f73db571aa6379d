#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Zero-filled memory straight from the kernel, for the few large arrays of a save (the stream
// buffer, the string lookup table). Asking for it zeroed costs nothing, and regions of 2 MiB and
// more ask for transparent huge pages: a full export touches tens of megabytes of fresh memory,
// and 4 KiB page faults are expensive, on virtual machines especially. Move-only; throws
// std::bad_alloc when the memory cannot be had.
class PageBuffer {
public:
    PageBuffer() = default;
    explicit PageBuffer(std::size_t size);
    ~PageBuffer();
    PageBuffer(PageBuffer&& other) noexcept;
    PageBuffer& operator=(PageBuffer&& other) noexcept;
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

private:
    void Release();

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    void* mapping_ = nullptr;
    std::size_t mappingSize_ = 0;
};
