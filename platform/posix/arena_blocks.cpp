#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "platform/services.h"

namespace {

// A huge page on x86-64 and on most 64-bit ARM systems.
constexpr std::size_t kHugePage = 2 * 1024 * 1024;

// Blocks of a huge page or more are mapped on a huge-page boundary and
// offered for huge pages: one fault then makes 2 MiB ready instead of 4 KiB,
// where a fault costs the most (in a virtual machine). Smaller blocks, for
// the usual small profile, come from the heap.
class HugePageBlocks : public std::pmr::memory_resource {
  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    if (bytes < kHugePage) return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    const std::size_t size = roundUp(bytes, kHugePage);
    // Mapped with a huge page to spare, so that an aligned run fits, and
    // the ends outside it given back.
    void* mapped = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = roundUp(start, kHugePage);
    if (aligned > start) ::munmap(mapped, aligned - start);
    if (aligned + size < start + size + kHugePage) {
      ::munmap(reinterpret_cast<void*>(aligned + size), start + kHugePage - aligned);
    }
    void* block = reinterpret_cast<void*>(aligned);
    ::madvise(block, size, MADV_HUGEPAGE);
    return block;
  }

  void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override {
    if (bytes < kHugePage) {
      std::pmr::new_delete_resource()->deallocate(block, bytes, alignment);
    } else {
      ::munmap(block, roundUp(bytes, kHugePage));
    }
  }

  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  static std::uintptr_t roundUp(std::uintptr_t value, std::size_t step) {
    return (value + step - 1) / step * step;
  }
};

}  // namespace

std::pmr::memory_resource* arenaBlocks() {
  static HugePageBlocks blocks;
  return &blocks;
}
