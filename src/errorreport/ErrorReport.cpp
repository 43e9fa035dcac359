#include "errorreport/ErrorReport.h"

#include "shell/rsFileVersion.h"

// dbghelp.h needs windows.h first.
#include <windows.h>
#include <dbghelp.h>
#include <intrin.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "errorreport/ExceptionForm.h"
#include "errorreport/FaultTrace.h"
#include "errorreport/ThrowTrace.h"
#include "notes/InternalProcs.h"
#include "notes/NoteWrapper.h"
#include "notewindows/NoteFormUnit.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/Paths.h"
#include "ui/Types.h"

TTramlixErrorHandler* ErrorHandler = nullptr;
std::function<void(UINT exitCode)> ErrorExitProcess = [](UINT code) { ExitProcess(code); };

namespace {
const wchar_t kLogName[] = L"ExceptionsLog.txt";

template <class... A>
std::wstring Format(const wchar_t* format, A... args) {
  wchar_t buffer[1024];
  int n = swprintf(buffer, 1024, format, args...);
  return n < 0 ? std::wstring() : std::wstring(buffer, std::min(n, 1023));
}

std::wstring ModuleFileName(HMODULE module) {
  wchar_t name[MAX_PATH];
  DWORD n = GetModuleFileNameW(module, name, MAX_PATH);
  return std::wstring(name, n);
}

// dbghelp reads the DWARF debug information of our own modules (built with -gdwarf-4).
bool SymbolsReady() {
  static bool ready = [] {
    SymSetOptions(SymGetOptions() | SYMOPT_LOAD_LINES | SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS);
    return SymInitializeW(GetCurrentProcess(), nullptr, TRUE) != FALSE;
  }();
  return ready;
}

// One line per frame: the address, the module, and where known the function, the offset into
// it and the source line. A return address points after its call, so the call itself is
// looked up one byte earlier; a faulting instruction is looked up where it is.
std::wstring FrameText(void* frame, bool returnAddress) {
  const DWORD64 address = reinterpret_cast<DWORD64>(frame);
  std::wstring text = Format(L"[%.16llX] ", static_cast<unsigned long long>(address));
  HMODULE module = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(frame), &module))
    text += ExtractFileName(ModuleFileName(module));
  if (!SymbolsReady()) return text;
  const DWORD64 call = returnAddress ? address - 1 : address;
  alignas(SYMBOL_INFOW) char buffer[sizeof(SYMBOL_INFOW) + 256 * sizeof(wchar_t)] = {};
  auto* symbol = reinterpret_cast<SYMBOL_INFOW*>(buffer);
  symbol->SizeOfStruct = sizeof(SYMBOL_INFOW);
  symbol->MaxNameLen = 255;
  DWORD64 displacement = 0;
  if (SymFromAddrW(GetCurrentProcess(), call, &displacement, symbol))
    text += L" " + std::wstring(symbol->Name) +
            Format(L" + $%llX", static_cast<unsigned long long>(address - symbol->Address));
  IMAGEHLP_LINEW64 line{};
  line.SizeOfStruct = sizeof line;
  DWORD lineDisplacement = 0;
  if (SymGetLineFromAddrW64(GetCurrentProcess(), call, &lineDisplacement, &line) && line.FileName)
    text += Format(L" (Line %lu, \"%ls\")", line.LineNumber, ExtractFileName(line.FileName).c_str());
  return text;
}

std::wstring WindowsVersionName(const OSVERSIONINFOEXW& v) {
  const bool workstation = v.wProductType == VER_NT_WORKSTATION;
  const DWORD version = v.dwMajorVersion * 100 + v.dwMinorVersion;
  switch (version) {
    case 500: return L"Windows 2000";
    case 501: return L"Windows XP";
    case 502: return workstation ? L"Windows XP" : L"Windows Server 2003";
    case 600: return workstation ? L"Windows Vista" : L"Windows Server 2008";
    case 601: return workstation ? L"Windows 7" : L"Windows Server 2008 R2";
    case 602: return workstation ? L"Windows 8" : L"Windows Server 2012";
    case 603: return workstation ? L"Windows 8.1" : L"Windows Server 2012 R2";
    default: return version >= 1000 ? (workstation ? L"Windows 10" : L"Windows Server 2016") : L"Windows";
  }
}

std::wstring ProductTypeName(BYTE type) {
  switch (type) {
    case VER_NT_WORKSTATION: return L"Workstation";
    case VER_NT_DOMAIN_CONTROLLER: return L"Domain Controller";
    case VER_NT_SERVER: return L"Server";
    default: return L"";
  }
}

std::wstring SystemLine() {
  OSVERSIONINFOEXW v{};
  v.dwOSVersionInfoSize = sizeof v;
  GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v));
  return Format(L"System   : %ls %ls, Version: %d.%d, Build: %x, \"%ls\"", WindowsVersionName(v).c_str(),
                ProductTypeName(v.wProductType).c_str(), static_cast<int>(v.dwMajorVersion),
                static_cast<int>(v.dwMinorVersion), static_cast<unsigned>(v.dwBuildNumber), v.szCSDVersion);
}

std::wstring Trimmed(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return AnsiToWide(s);
}

// Frequencies are sold in steps; the measured value is rounded to the nearest one.
int RoundFrequency(int mhz) {
  for (int step : {100, 133, 166})
    for (int k = 1; k * step <= 10000; ++k)
      if (std::abs(mhz - k * step) <= 2) return k * step;
  return mhz;
}

std::wstring ProcessorLine() {
  int r[4];
  __cpuid(r, 0);
  char vendor[13] = {};
  memcpy(vendor, &r[1], 4);
  memcpy(vendor + 4, &r[3], 4);
  memcpy(vendor + 8, &r[2], 4);
  std::wstring manufacturer = AnsiToWide(vendor);
  if (manufacturer == L"GenuineIntel") manufacturer = L"Intel";
  else if (manufacturer == L"AuthenticAMD") manufacturer = L"AMD";
  __cpuid(r, 1);
  const bool mmx = (r[3] >> 23) & 1;
  std::string brand;
  __cpuid(r, static_cast<int>(0x80000000));
  if (static_cast<unsigned>(r[0]) >= 0x80000004u)
    for (unsigned leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
      __cpuid(r, static_cast<int>(leaf));
      brand.append(reinterpret_cast<const char*>(r), sizeof r);
    }
  DWORD mhz = 0, size = sizeof mhz;
  RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"~MHz", RRF_RT_REG_DWORD,
               nullptr, &mhz, &size);
  // Every processor this program runs on divides correctly: no FDIV mark.
  return Format(L"Processor: %ls, %ls, %d MHz %ls%ls", manufacturer.c_str(), Trimmed(brand).c_str(),
                RoundFrequency(static_cast<int>(mhz)), mmx ? L"MMX" : L"", L"");
}

int ScreenBitsPerPixel() {
  HDC dc = GetDC(nullptr);
  int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  ReleaseDC(nullptr, dc);
  return bits;
}

void AddModules(std::vector<std::wstring>& lines) {
  HANDLE process = GetCurrentProcess();
  DWORD needed = 0;
  if (!EnumProcessModules(process, nullptr, 0, &needed) || needed == 0) return;
  std::vector<HMODULE> modules(needed / sizeof(HMODULE));
  if (!EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed))
    return;
  modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
  std::sort(modules.begin(), modules.end(),
            [](HMODULE a, HMODULE b) { return reinterpret_cast<UINT_PTR>(a) < reinterpret_cast<UINT_PTR>(b); });
  lines.push_back(L"List of loaded modules:");
  lines.push_back(L"");
  for (HMODULE m : modules) {
    const std::wstring name = ModuleFileName(m);
    const auto base = reinterpret_cast<UINT_PTR>(m);
    lines.push_back(Format(L"[%.8llx] %ls", static_cast<unsigned long long>(base), name.c_str()));
    std::wstring prefix(11, L' ');
    if (IMAGE_NT_HEADERS* headers = ImageNtHeader(m)) {
      const ULONGLONG preferred = headers->OptionalHeader.ImageBase;
      if (preferred != base) prefix = Format(L"<%.8llx> ", static_cast<unsigned long long>(preferred));
    }
    lines.push_back(prefix + L" " + FileVersionText(name));
  }
}

// The lines of the report that come before the dialog's own product-version section.
std::vector<std::wstring> ReportLines(TTramlixErrorHandler& handler, const std::exception& error) {
  std::vector<std::wstring> lines;
  const auto* fault = dynamic_cast<const EExternalException*>(&error);
  lines.push_back(fault ? fault->Message : ExceptionText(error.what()));
  lines.push_back(kReportSeparator);
  handler.BuildReport(lines, &error);
  return lines;
}

// Terminate skips the orderly shut-down, but typing must not be lost: every note whose edits
// still wait for their save is saved now, each on its own, whatever the others do.
void SaveTypedNotes() {
  if (!Application) return;
  for (TForm* form : Application->Forms()) {
    auto* note = dynamic_cast<TNoteForm*>(form);
    if (!note || !note->Wrapper) continue;
    try {
      // Without safe saving an edit pause saves nothing, so any open note may hold typing.
      if (SafeSave && !note->UpdateTimer->Enabled() && !note->Wrapper->SaveFailed) continue;
      DWORD error = ERROR_SUCCESS;
      note->Wrapper->TrySave(error);
    } catch (...) {
    }
  }
}
}  // namespace

std::wstring FileVersionText(const std::wstring& fileName) { return AnsiToWide(GetFileVersionText(fileName)); }

namespace {
const char kUtf8Mark[] = "\xEF\xBB\xBF";

// The bytes of an entry for the log open in h. A new log is UTF-8 behind its byte-order mark,
// so that titles and paths in any script survive. A log begun in the ANSI code page goes on in
// it, as its older entries are never rewritten; a character that page cannot hold is written
// as \x{XXXX} with its code, never as a look-alike or "?".
std::string LogBytes(HANDLE h, const std::wstring& text) {
  LARGE_INTEGER size{};
  char head[3] = {};
  DWORD read = 0;
  if (!GetFileSizeEx(h, &size) || size.QuadPart == 0) return kUtf8Mark + WideToUtf8(text);
  if (ReadFile(h, head, 3, &read, nullptr) && read == 3 && memcmp(head, kUtf8Mark, 3) == 0) return WideToUtf8(text);
  std::string out;
  ForEachAnsiChar(text, [&out](char32_t code, std::string_view bytes) {
    if (!bytes.empty()) {
      out += bytes;
    } else {
      char escaped[16];
      snprintf(escaped, sizeof escaped, "\\x{%04X}", static_cast<unsigned>(code));
      out += escaped;
    }
  });
  return out;
}
}  // namespace

void AppendLog(const std::wstring& fileName, const std::vector<std::wstring>& lines) {
  try {
    HANDLE h = CreateFileW(fileName.c_str(), FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    std::wstring text = L"############# ERROR ON: " + DateTimeToStr(Now()) + L"\r\n" + ModuleFileName(nullptr) + L"\r\n";
    for (const std::wstring& line : lines) text += line + L"\r\n";
    text += L"### END LOG\r\n\r\n\r\n";
    const std::string bytes = LogBytes(h, text);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
  } catch (...) {
    // Losing a log entry must not cost the dialog.
  }
}

TTramlixErrorHandler::TTramlixErrorHandler() {
  if (!Application) return;
  Application->OnException = [this](const std::exception& e) { HandleException(e); };
  Application->OnExceptionWhileShowing = [this](const std::exception& e) { LogException(e); };
  // A fault that no window handler's catch can take ends the program: it is reported like any
  // error first, and the typing is saved whatever the user answers.
  InstallFaultHandlers([](const EExternalException& fault) {
    TApplication::HandleException(std::make_exception_ptr(fault));
    SaveTypedNotes();
    ErrorExitProcess(1);
  });
}

TTramlixErrorHandler::~TTramlixErrorHandler() {
  RemoveFaultHandlers();
  if (!Application) return;
  Application->OnException = nullptr;
  Application->OnExceptionWhileShowing = nullptr;
}

std::wstring TTramlixErrorHandler::LogFileName() const {
  std::wstring folder = LogFolder;
  folder.erase(0, folder.find_first_not_of(L' '));
  while (!folder.empty() && folder.back() == L' ') folder.pop_back();
  if (folder.empty() || !DirectoryExists(folder)) return ExeFolder() + kLogName;
  return IncludeTrailingBackslash(folder) + kLogName;
}

void TTramlixErrorHandler::HandleException(const std::exception& error) {
  try {
    ShowReport(ReportLines(*this, error));
  } catch (...) {
    // The error handling never reports a failure of its own.
  }
}

void TTramlixErrorHandler::LogException(const std::exception& error) {
  try {
    AppendLog(LogFileName(), ReportLines(*this, error));
  } catch (...) {
  }
}

void TTramlixErrorHandler::BuildReport(std::vector<std::wstring>& lines, const std::exception* error) {
  TThrowStack stack;
  const auto* fault = dynamic_cast<const EExternalException*>(error);
  if (fault) stack = fault->Stack;
  if (fault || (error && FindThrowStack(error, stack))) {
    lines.push_back(L"Stack list, generated " + DateTimeToStr(SystemTimeToDateTime(stack.Moment)));
    for (size_t i = 0; i < stack.Frames.size(); ++i)
      lines.push_back(FrameText(stack.Frames[i], i > 0 || !stack.FaultFirst));
    lines.push_back(kReportSeparator);
  }
  lines.push_back(SystemLine());
  lines.push_back(ProcessorLine());
  lines.push_back(Format(L"Display  : %dx%d pixels, %d bpp", GetSystemMetrics(SM_CXSCREEN),
                         GetSystemMetrics(SM_CYSCREEN), ScreenBitsPerPixel()));
  lines.push_back(kReportSeparator);
  if (ListModules) AddModules(lines);
}

void TTramlixErrorHandler::ShowReport(const std::vector<std::wstring>& lines) {
  auto* form = new TExceptionForm(Application);
  TLifeCheck alive = form->Watch();
  form->ErrorLog->SetLines(lines);
  form->Handle();  // the memo lays out its lines only once it has a window
  form->AddProductVersions();
  try {
    AppendLog(LogFileName(), form->DisplayedLines());
  } catch (...) {
  }
  MessageBeep(MB_ICONHAND);
  ++DialogsShown;
  const TModalResult result = form->ShowModal();
  if (alive) form->Release();
  if (result == mrAbort) {
    SaveTypedNotes();
    ErrorExitProcess(1);
  }
}

void CreateErrorHandler() {
  if (!ErrorHandler) ErrorHandler = new TTramlixErrorHandler;
}

void FreeErrorHandler() {
  delete ErrorHandler;
  ErrorHandler = nullptr;
}
