#include "export/util/page_buffer.h"

#include <sys/mman.h>

#include <new>
#include <utility>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

PageBuffer::PageBuffer(std::size_t size) : size_(size) {
    if (size == 0) return;
    // Room to start at a huge-page boundary, where the kernel can map 2 MiB at a time.
    const bool huge = size >= kHugePage;
    mappingSize_ = huge ? size + kHugePage : size;
    mapping_ =
        ::mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping_ == MAP_FAILED) {
        mapping_ = nullptr;
        throw std::bad_alloc();
    }
    auto address = reinterpret_cast<std::uintptr_t>(mapping_);
    if (huge) {
        address = (address + kHugePage - 1) & ~(kHugePage - 1);
        ::madvise(reinterpret_cast<void*>(address), size, MADV_HUGEPAGE);  // a hint only
    }
    data_ = reinterpret_cast<std::uint8_t*>(address);
}

PageBuffer::~PageBuffer() { Release(); }

PageBuffer::PageBuffer(PageBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      mappingSize_(std::exchange(other.mappingSize_, 0)) {}

PageBuffer& PageBuffer::operator=(PageBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappingSize_ = std::exchange(other.mappingSize_, 0);
    }
    return *this;
}

void PageBuffer::Release() {
    if (mapping_ != nullptr) ::munmap(mapping_, mappingSize_);
    mapping_ = nullptr;
    data_ = nullptr;
    size_ = 0;
}
