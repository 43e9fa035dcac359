// Linked into every test executable (cmake/VxqTests.cmake): the one replacement of the global
// allocator, and the end of a crashed test run.
//
// Freed memory is filled with 0xDD before it goes back to the heap, so that code that reads an
// object after it was freed follows wild pointers and fails at once instead of quietly reading
// stale values. A crash then ends the process with a message and exit code 3 instead of
// starting the debugger, which would wait for someone until the test's time limit.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>

#include "AllocationProbe.h"
#include "TestSupport.h"

namespace allocationprobe {
std::size_t largest = 0;
bool watching = false;
}  // namespace allocationprobe

void* operator new(std::size_t size) {
  if (allocationprobe::watching && size > allocationprobe::largest) allocationprobe::largest = size;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
namespace {
// Out of line: inlined into a delete expression, it would show the optimiser a free() of what
// operator new returned, which it takes for a mismatch.
[[gnu::noinline]] void PoisonAndFree(void* p) noexcept {
  if (!p) return;
  std::memset(p, 0xDD, _msize(p));
  // Nothing reads the fill before the free, so the optimiser would drop it as a dead store:
  // the empty statement tells it that the memory is looked at.
  asm volatile("" : : "r"(p) : "memory");
  std::free(p);
}
}  // namespace
void operator delete(void* p) noexcept { PoisonAndFree(p); }
void operator delete(void* p, std::size_t) noexcept { PoisonAndFree(p); }

namespace {
LONG CALLBACK Crashed(EXCEPTION_POINTERS* e) {
  const EXCEPTION_RECORD& r = *e->ExceptionRecord;
  std::fprintf(stderr, "\nUnhandled exception %08lX at %p%s\n", r.ExceptionCode, r.ExceptionAddress,
               r.ExceptionCode == EXCEPTION_ACCESS_VIOLATION ? ": memory used after it was freed?" : "");
  // The frames, for addr2line.
  void* frames[40];
  const USHORT n = RtlCaptureStackBackTrace(0, 40, frames, nullptr);
  for (USHORT i = 0; i < n; ++i) std::fprintf(stderr, "  at %p\n", frames[i]);
  std::fflush(stderr);
  ExitProcess(3);
}

[[maybe_unused]] const bool installed = [] {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(Crashed);
  return true;
}();
}  // namespace

// This executable again, on its own: a read of a pointer from a freed object crashes it, and
// the crash ends it at once with exit code 3.
TEST(FreedMemoryPoison, AUseAfterFreeCrashesAndTheCrashEndsTheRunAtOnce) {
  if (GetEnvironmentVariableW(L"VXQ_USE_AFTER_FREE", nullptr, 0)) {
    struct Holder {
      char heapKeeps[64];  // the heap may reuse either end of a freed block for its own links
      int* target;
      char heapKeepsToo[64];
    };
    Holder* volatile holder = new Holder{{}, new int(1), {}};
    delete holder;
    *holder->target = 2;
    return;
  }
  EXPECT_EQ(testsupport::RunThisTestAlone(L"VXQ_USE_AFTER_FREE", 20000), 3u)
      << "no crash, not ended by the poison, or waiting for a debugger (258)";
}
