#pragma once
// The program's allocations go through here, so that a test can see the largest single one.
// Include it in one source file per test executable: it replaces the global operator new.
#include <cstddef>
#include <cstdlib>
#include <new>

namespace allocationprobe {
inline std::size_t largest = 0;
inline bool watching = false;
}  // namespace allocationprobe

void* operator new(std::size_t size) {
  if (allocationprobe::watching && size > allocationprobe::largest) allocationprobe::largest = size;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

// The largest single allocation made while one of these lives.
class LargestAllocation {
 public:
  LargestAllocation() {
    allocationprobe::largest = 0;
    allocationprobe::watching = true;
  }
  ~LargestAllocation() { allocationprobe::watching = false; }
  LargestAllocation(const LargestAllocation&) = delete;
  LargestAllocation& operator=(const LargestAllocation&) = delete;
  std::size_t Bytes() const { return allocationprobe::largest; }
};
