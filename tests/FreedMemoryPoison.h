#pragma once
// Freed objects are overwritten at once, so that code reading one after it was freed reads
// nonsense rather than its last values, and a test sees it. Include it in one source file per
// test executable: it replaces the global operator delete.
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

void operator delete(void* p) noexcept {
  if (!p) return;
  std::memset(p, 0xDD, _msize(p));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
