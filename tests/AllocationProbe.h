#pragma once
// The largest single allocation made while a LargestAllocation lives. The test executables'
// own operator new (FreedMemoryPoison.cpp, linked into every one) measures it.
#include <cstddef>

namespace allocationprobe {
extern std::size_t largest;
extern bool watching;
}  // namespace allocationprobe

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
