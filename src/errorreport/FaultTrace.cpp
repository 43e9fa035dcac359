#include "errorreport/FaultTrace.h"

#include <cwchar>

#include "ui/Application.h"

namespace {
constexpr int kMaxFrames = 62;

// What the handlers learn of a fault. They run on the faulting thread in the middle of the
// system's exception dispatch, so they fill fixed buffers and allocate nothing; the exception
// object is made only once execution has left the faulting function.
struct TFault {
  wchar_t Message[512];
  void* Frames[kMaxFrames];
  int Count;
  SYSTEMTIME Moment;
};
thread_local TFault t_fault;
thread_local bool t_reporting = false;

PVOID g_vectored = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::function<void(const EExternalException&)> g_onUnhandled;
DWORD64 g_imageStart = 0, g_imageEnd = 0;

// The faults we name; anything else is reported by its code, and only these are raised again.
struct TFaultName {
  DWORD Code;
  const wchar_t* Text;
};
constexpr TFaultName kFaults[] = {
    {EXCEPTION_ACCESS_VIOLATION, L"Access violation"},
    {EXCEPTION_IN_PAGE_ERROR, L"In-page error"},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, L"Range check error"},
    {EXCEPTION_DATATYPE_MISALIGNMENT, L"Misaligned data access"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, L"Illegal instruction"},
    {EXCEPTION_PRIV_INSTRUCTION, L"Privileged instruction"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, L"Division by zero"},
    {EXCEPTION_INT_OVERFLOW, L"Integer overflow"},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, L"Floating point division by zero"},
    {EXCEPTION_FLT_INVALID_OPERATION, L"Invalid floating point operation"},
    {EXCEPTION_FLT_OVERFLOW, L"Floating point overflow"},
    {EXCEPTION_FLT_UNDERFLOW, L"Floating point underflow"},
};

const wchar_t* FaultName(DWORD code) {
  for (const TFaultName& f : kFaults)
    if (f.Code == code) return f.Text;
  return nullptr;
}

bool Ours(DWORD64 address) { return address >= g_imageStart && address < g_imageEnd; }

// The thread's block is read through the gs segment at offset 0, which GCC 12 optimising takes
// for a read of the null address and warns about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
bool OnStack(DWORD64 sp) {
  const auto* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
  return sp >= reinterpret_cast<DWORD64>(tib->StackLimit) && sp < reinterpret_cast<DWORD64>(tib->StackBase);
}
#pragma GCC diagnostic pop

// One frame outwards: the caller's registers as they were at its call. False at the end of
// the stack or where the stack no longer makes sense.
bool UnwindOne(CONTEXT& c) {
  if (!OnStack(c.Rsp)) return false;
  DWORD64 imageBase = 0;
  if (PRUNTIME_FUNCTION f = RtlLookupFunctionEntry(c.Rip, &imageBase, nullptr)) {
    void* handlerData = nullptr;
    DWORD64 establisher = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, c.Rip, f, &c, &handlerData, &establisher, nullptr);
  } else {
    // A function without unwind data moves no stack pointer: its return address is on top.
    c.Rip = *reinterpret_cast<const DWORD64*>(c.Rsp);
    c.Rsp += 8;
  }
  return c.Rip != 0 && OnStack(c.Rsp);
}

void Record(const EXCEPTION_RECORD& r, const CONTEXT& context) {
  wchar_t path[MAX_PATH] = L"";
  HMODULE module = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(r.ExceptionAddress), &module))
    GetModuleFileNameW(module, path, MAX_PATH);
  const wchar_t* name = wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path;
  const auto at = reinterpret_cast<unsigned long long>(r.ExceptionAddress);
  const wchar_t* text = FaultName(r.ExceptionCode);
  int n = text ? swprintf(t_fault.Message, 512, L"%ls at address %.16llX in module '%ls'", text, at, name)
               : swprintf(t_fault.Message, 512, L"External exception %.8lX at address %.16llX in module '%ls'",
                          r.ExceptionCode, at, name);
  if (n > 0 && r.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && r.NumberParameters >= 2)
    swprintf(t_fault.Message + n, 512 - n, L". %ls of address %.16llX",
             r.ExceptionInformation[0] == 1 ? L"Write" : r.ExceptionInformation[0] == 8 ? L"Execute" : L"Read",
             static_cast<unsigned long long>(r.ExceptionInformation[1]));
  // The stack of the faulting instruction, not of this handler.
  CONTEXT c = context;
  t_fault.Count = 0;
  do t_fault.Frames[t_fault.Count++] = reinterpret_cast<void*>(c.Rip);
  while (t_fault.Count < kMaxFrames && UnwindOne(c));
  GetLocalTime(&t_fault.Moment);
}

EExternalException RecordedFault() {
  TThrowStack stack;
  stack.Frames.assign(t_fault.Frames, t_fault.Frames + t_fault.Count);
  stack.Moment = t_fault.Moment;
  stack.FaultFirst = true;
  return EExternalException(t_fault.Message, std::move(stack));
}

// Entered as though the faulting function had called it: throws where that function was called.
[[noreturn, gnu::noinline]] void ThrowRecordedFault() { throw RecordedFault(); }

// First sight of every exception of the process, the system's own included: only a fault in
// our code, under a catch that reports errors, is taken, and only when every frame between
// the two is ours, so that the C++ exception never unwinds through system code.
LONG CALLBACK RaiseAgain(EXCEPTION_POINTERS* e) {
  const EXCEPTION_RECORD& r = *e->ExceptionRecord;
  const auto boundary = reinterpret_cast<DWORD64>(TErrorBoundary::Innermost());
  if (!boundary || t_reporting || !FaultName(r.ExceptionCode) ||
      !Ours(reinterpret_cast<DWORD64>(r.ExceptionAddress)))
    return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT c = *e->ContextRecord, caller = c;
  bool reaches = false;
  for (int depth = 1; depth < 1000 && UnwindOne(c); ++depth) {
    if (c.Rsp > boundary) {
      reaches = depth > 1;  // not when the faulting function is the one that catches
      break;
    }
    if (!Ours(c.Rip)) break;
    if (depth == 1) caller = c;
  }
  if (!reaches) return EXCEPTION_CONTINUE_SEARCH;
  Record(r, *e->ContextRecord);
  // The faulting function is left where it stands (its locals are not destroyed: its state
  // is unknown); its caller goes on at the call, which now throws. The call left the return
  // address just below the caller's stack pointer, as a call into the thrower needs it.
  CONTEXT& resume = *e->ContextRecord;
  const DWORD flags = resume.ContextFlags;
  resume = caller;
  resume.ContextFlags = flags;
  resume.Rsp -= 8;
  resume.Rip = reinterpret_cast<DWORD64>(&ThrowRecordedFault);
  resume.EFlags &= ~0x400u;  // the direction flag, clear on every function entry
  return EXCEPTION_CONTINUE_EXECUTION;
}

LONG WINAPI ReportUnhandled(EXCEPTION_POINTERS* e) {
  if (!t_reporting && g_onUnhandled) {
    t_reporting = true;
    Record(*e->ExceptionRecord, *e->ContextRecord);
    try {
      g_onUnhandled(RecordedFault());
    } catch (...) {
    }
    t_reporting = false;
  }
  return g_previousFilter ? g_previousFilter(e) : EXCEPTION_EXECUTE_HANDLER;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}
}  // namespace

EExternalException::EExternalException(const std::wstring& message, TThrowStack stack)
    : std::runtime_error(Narrow(message)), Message(message), Stack(std::move(stack)) {}

void InstallFaultHandlers(std::function<void(const EExternalException&)> onUnhandled) {
  RemoveFaultHandlers();
  const auto base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  g_imageStart = reinterpret_cast<DWORD64>(base);
  g_imageEnd = g_imageStart + nt->OptionalHeader.SizeOfImage;
  g_onUnhandled = std::move(onUnhandled);
  g_vectored = AddVectoredExceptionHandler(1, RaiseAgain);
  g_previousFilter = SetUnhandledExceptionFilter(ReportUnhandled);
}

void RemoveFaultHandlers() {
  if (!g_vectored) return;
  RemoveVectoredExceptionHandler(g_vectored);
  g_vectored = nullptr;
  SetUnhandledExceptionFilter(g_previousFilter);
  g_previousFilter = nullptr;
  g_onUnhandled = nullptr;
}
