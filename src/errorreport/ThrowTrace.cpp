#include "errorreport/ThrowTrace.h"

#include <array>
#include <typeinfo>

namespace {
// A few recent throws are kept: an error may be caught, another one thrown and handled in
// between, and the first one rethrown to the message loop only then.
constexpr int kKept = 16;
constexpr int kMaxFrames = 62;

struct TRecord {
  const void* Object = nullptr;
  USHORT Count = 0;
  void* Frames[kMaxFrames];
  SYSTEMTIME Moment;
};

thread_local std::array<TRecord, kKept> g_records;
thread_local int g_next = 0;

[[gnu::noinline]] void Record(void* object) {
  TRecord& r = g_records[g_next];
  g_next = (g_next + 1) % kKept;
  r.Object = object;
  // Skip this function and the wrapper: the first frame is the code that threw.
  r.Count = RtlCaptureStackBackTrace(2, kMaxFrames, r.Frames, nullptr);
  GetLocalTime(&r.Moment);
}
}  // namespace

extern "C" {
[[noreturn]] void __real___cxa_throw(void* object, std::type_info* type, void (*destructor)(void*));

[[noreturn]] void __wrap___cxa_throw(void* object, std::type_info* type, void (*destructor)(void*)) {
  Record(object);
  __real___cxa_throw(object, type, destructor);
}
}

bool FindThrowStack(const void* object, TThrowStack& stack) {
  for (int i = 1; i <= kKept; ++i) {
    const TRecord& r = g_records[(g_next - i + kKept) % kKept];
    if (r.Object != object || !object) continue;
    stack.Frames.assign(r.Frames, r.Frames + r.Count);
    stack.Moment = r.Moment;
    return true;
  }
  return false;
}
