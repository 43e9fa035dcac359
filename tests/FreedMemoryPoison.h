#pragma once
// Freed memory is filled with 0xDD before it goes back to the heap, so that code that reads
// an object after it was freed follows wild pointers and fails at once instead of quietly
// reading stale values; such a failure ends the process with a message rather than starting
// the debugger. Include it in one source file per test executable.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>

void* operator new(std::size_t size) {
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  if (!p) return;
  std::memset(p, 0xDD, _msize(p));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace freedmemory {
inline LONG CALLBACK Report(EXCEPTION_POINTERS* e) {
  if (e->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return EXCEPTION_CONTINUE_SEARCH;
  std::fprintf(stderr, "\nAccess violation at %p: memory used after it was freed?\n",
               e->ExceptionRecord->ExceptionAddress);
  // The frames, for addr2line.
  void* frames[40];
  const USHORT n = RtlCaptureStackBackTrace(0, 40, frames, nullptr);
  for (USHORT i = 0; i < n; ++i) std::fprintf(stderr, "  at %p\n", frames[i]);
  std::fflush(stderr);
  ExitProcess(3);
}
inline const bool installed = (SetUnhandledExceptionFilter(Report), true);
}  // namespace freedmemory
