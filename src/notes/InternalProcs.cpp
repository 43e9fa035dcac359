#include "notes/InternalProcs.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include <mmsystem.h>

#include "errorreport/ErrorReport.h"
#include "notes/NoteManagerUnit.h"
#include "shell/MainFormUnit.h"
#include "shell/VantaroEngineUnit.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/MessageBox.h"
#include "ui/Paths.h"

bool Loading = true;
bool Closing = false;
bool UIEnabled = true;
bool SettingsChanged = false;

bool SafeSave = true;
TColor NoteColor = 0x00FFFF;
TColor TitleColor = 0x00ECEC;
bool NoteAnimations = true;
bool NoteTransparency = false;
TFontSetting TitleFont{};
TFontSetting NoteFont{};
std::wstring TrillFile;
std::wstring LanguageName = L"english";
std::int32_t DefNoteWidth = 160;
std::int32_t DefNoteHeight = 160;
std::uint8_t DefaultTrayIconAction = 1;

std::wstring NotesFolder;

void TFontSetting::SetFaceName(const std::string& face) {
  size_t n = face.size() > sizeof Name ? sizeof Name : face.size();
  NameLength = static_cast<std::uint8_t>(n);
  std::memcpy(Name, face.data(), n);
}

void SetDefaultSettings() {
  NoteColor = 0x00FFFF;
  TitleColor = 0x00ECEC;
  NoteFont.SetFaceName("Arial");
  NoteFont.Size = 8;
  NoteFont.Style = 0;
  NoteFont.Color = 0;
  TitleFont = NoteFont;
  TitleFont.Size = 7;
}

void InitUserFolder() {
  wchar_t buffer[257];
  for (int i = 0; i < 256; ++i) buffer[i] = L' ';
  buffer[256] = L'\0';
  DWORD size = 256;
  // The wide call keeps a user name outside the ANSI code page intact.
  BOOL ok = GetUserNameW(buffer, &size);
  std::wstring name = Trim(std::wstring(buffer, 256));
  if (!ok && name.empty()) name = L"defaultUser";
  if (name.empty()) name = L"defaultUser";
  NotesFolder = ExeFolder() + L"Users\\" + name + L"\\";
  ForceDirectories(NotesFolder);
}

void NoteFileName(const std::string& id, std::wstring& fileName) {
  fileName = NotesFolder + AnsiToWide(Trim(id)) + L".vxn";
}

std::wstring NoteFileName(const std::string& id) {
  std::wstring f;
  NoteFileName(id, f);
  return f;
}

namespace {
std::string Hex(unsigned long long v, int minDigits) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), digits[v & 15]);
    v >>= 4;
  } while (v);
  while (static_cast<int>(s.size()) < minDigits) s.insert(s.begin(), '0');
  return s;
}
}  // namespace

void NewNoteID(std::string& id) {
  SYSTEMTIME st;
  DateTimeToSystemTime(Now(), st);
  unsigned long long stamp = st.wYear * 10000000000ULL + st.wMonth * 100000000ULL + st.wDay * 1000000ULL +
                             st.wHour * 10000ULL + st.wMinute * 100ULL + st.wSecond;
  std::string base = "N" + Hex(stamp, 1);
  for (unsigned long long i = 0;; ++i) {
    std::string candidate = base + Hex(i, 2);
    if (!FileExists(NoteFileName(candidate)) && !NoteNameInUse(candidate)) {
      id = candidate;
      return;
    }
  }
}

std::string NewNoteID() {
  std::string id;
  NewNoteID(id);
  return id;
}

bool NoteNameInUse(const std::string& id) {
  if (!Application) return false;
  return Application->FindComponent(AnsiToWide(id)) != nullptr;
}

bool IsAlreadyRunning(HANDLE& handle, const std::string& name) {
  handle = CreateMutexA(nullptr, TRUE, name.c_str());
  return handle != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

namespace {
std::function<void(const std::wstring&)> g_shellOpenHook;

bool IsWebAddress(const std::wstring& url) {
  for (const wchar_t* prefix : {L"http://", L"https://", L"ftp://", L"mailto:", L"www."})
    if (StartsText(url, prefix)) return true;
  return false;
}
}  // namespace

namespace {
// Whether the file starts as a program does. The system runs a program by what it holds, not by
// its name: one copied to "notes.txt" still runs. A file that cannot be read is taken for one.
bool StartsAsProgram(const std::wstring& fileName) {
  HANDLE file = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return true;
  char header[2] = {};
  DWORD got = 0;
  const BOOL read = ReadFile(file, header, 2, &got, nullptr);
  CloseHandle(file);
  return !read || (got == 2 && header[0] == 'M' && header[1] == 'Z');
}
}  // namespace

bool IsRunnableFile(const std::wstring& fileName) {
  if (StartsAsProgram(fileName)) return true;
  // The system drops dots and blanks at the end of a name: "x.bat." is x.bat.
  std::wstring name = ExtractFileName(fileName);
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  const size_t dot = name.rfind(L'.');
  // Without an extension the system tries the name as a program.
  if (dot == std::wstring::npos) return true;
  const std::wstring extension = name.substr(dot);
  std::wstring list = L".exe;.bat;.cmd;.com;.scr;.lnk;.pif;.js;.jse;.vbs;.vbe;.wsf;.wsh;.msi;.msp;.cpl;.hta;.ps1;"
                      L".url;.jar;.reg;.inf;.application;.appref-ms;.gadget;.msc;.settingcontent-ms;";
  wchar_t pathExt[4096];
  const DWORD n = GetEnvironmentVariableW(L"PATHEXT", pathExt, 4096);
  if (n > 0 && n < 4096) list += pathExt + std::wstring(L";");
  for (size_t start = 0, end; (end = list.find(L';', start)) != std::wstring::npos; start = end + 1)
    if (end > start && SameText(list.substr(start, end - start), extension)) return true;
  return false;
}

void SetShellOpenHook(std::function<void(const std::wstring& target)> hook) { g_shellOpenHook = std::move(hook); }

void ShellOpen(HWND wnd, const std::wstring& target, const std::wstring& folder) {
  if (g_shellOpenHook) {
    g_shellOpenHook(target);
    return;
  }
  ShellExecuteW(wnd, L"OPEN", target.c_str(), L"", folder.c_str(), SW_SHOWNORMAL);
}

void OpenLinkedFile(const std::wstring& linkedFile) {
  // A copy: the note that holds the name may go while the question below is up.
  const std::wstring fileName = linkedFile;
  if (!FileExists(fileName)) return;
  // A note file is anyone's to write (shared, downloaded): a link that would run something
  // runs only when the user, told what it is, says so.
  if (IsRunnableFile(fileName) &&
      ShowMessageBox(L"The linked file is a program or a script, and opening it runs it:\n\r" + fileName +
                         L"\n\rDo you want to run it?",
                     L"Vantaro", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
    return;
  ShellOpen(nullptr, fileName, ExtractFilePath(fileName));
}

void OpenURL(HWND wnd, const std::wstring& url) {
  // The text of a note is anyone's to write (a shared or downloaded note file): a click on it
  // must never start a program, so only web addresses go to the shell. One that starts with
  // "www." names no scheme, and the shell would take it for a file first (www.evil.bat).
  if (!IsWebAddress(url)) return;
  ShellOpen(wnd, StartsText(url, L"www.") ? L"http://" + url : url, L"c:\\");
}

void Shutdown(bool freeMainForm) {
  if (!VantaroEngine) return;
  if (VantaroMainForm) {
    VantaroMainForm->NoteSystemTimer->SetEnabled(false);
    VantaroMainForm->TrayIcon->SetActive(false);
  }
  // The global goes first: code reached while the engine saves sees no engine.
  TVantaroEngine* engine = VantaroEngine;
  VantaroEngine = nullptr;
  delete engine;
  if (freeMainForm && VantaroMainForm) {
    TVantaroMainForm* form = VantaroMainForm;
    VantaroMainForm = nullptr;
    // We may be inside one of its own handlers (the close request, the session end): it goes
    // once that has returned.
    form->Release();
    if (Application) Application->Terminate();
  }
}

void ShutdownOnce() {
  if (Closing) return;
  Closing = true;
  Shutdown(true);
}

namespace {
std::wstring g_blockReason;

void SetShutdownBlockReason(const std::wstring& reason) {
  if (reason == g_blockReason) return;
  HWND main = VantaroMainForm ? VantaroMainForm->Handle() : nullptr;
  if (main) {
    if (reason.empty())
      ShutdownBlockReasonDestroy(main);
    else
      ShutdownBlockReasonCreate(main, reason.c_str());
  }
  g_blockReason = reason;
}

std::vector<std::pair<std::wstring, TPendingDocuments>> g_pending;
}  // namespace

void SetPendingDocuments(const std::wstring& kind, TPendingDocuments pending) {
  std::erase_if(g_pending, [&kind](const auto& p) { return p.first == kind; });
  if (pending) g_pending.emplace_back(kind, std::move(pending));
}

std::wstring SavePendingDocuments() {
  std::wstring failed;
  // A copy: a document's save may register anew.
  const auto pending = g_pending;
  for (const auto& [kind, save] : pending)
    if (std::wstring f = save(); !f.empty()) failed += (failed.empty() ? L"" : L"\n\r") + f;
  return failed;
}

bool SavePendingDocumentsBeforeExit() {
  for (;;) {
    const std::wstring failed = SavePendingDocuments();
    if (failed.empty()) return true;
    // The end's own question: taken back, as Retry, once the documents could be written.
    if (ShowWithdrawableMessageBox(
            failed + L"\n\rThe changes are lost if the program ends now.", L"Error", MB_RETRYCANCEL | MB_ICONERROR,
            [] { return !VantaroEngine || SavePendingDocuments().empty(); }, IDRETRY) != IDRETRY)
      return false;
    // The box ran the message loop: a shut-down meanwhile has done all there was to do.
    if (!VantaroEngine) return false;
  }
}

bool QueryEndSession() {
  // Before the engine is built nothing can have been typed; after the shut-down all is saved.
  if (!VantaroEngine) return true;
  const std::wstring failed = VantaroEngine->NotesManager->SaveChanged(), pending = SavePendingDocuments();
  if (!failed.empty() || !pending.empty()) {
    // Nobody may be there to answer a box: the system shows the user why we hold it up.
    SetShutdownBlockReason((failed.empty() ? L"" : L"These notes cannot be saved:" + failed + L"\n\r") + pending);
    return false;
  }
  SetShutdownBlockReason(L"");
  // Another program may still refuse: the end comes with WM_ENDSESSION, if it comes.
  return true;
}

void EndSession(bool ending) {
  // Saved once more as the program shuts down: typing may have come since the question.
  if (!ending) return;
  // Nobody waits for the program's boxes now.
  BeginEnding();
  ShutdownOnce();
}

const std::wstring& ShutdownBlockReason() { return g_blockReason; }

void CheckShutdownBlockReason() {
  if (g_blockReason.empty()) return;
  const std::vector<TNoteWrapper*>* notes = VantaroEngine ? &VantaroEngine->NotesManager->Notes->List : nullptr;
  if ((!notes || std::none_of(notes->begin(), notes->end(), [](TNoteWrapper* w) { return w->SaveFailed; })) &&
      SavePendingDocuments().empty())
    SetShutdownBlockReason(L"");
}

void HideAppWindows() {
  if (VantaroMainForm) ShowWindow(VantaroMainForm->Handle(), SW_HIDE);
  if (Application) ShowWindow(Application->Handle(), SW_HIDE);
  Sleep(0);
}

namespace {
std::function<void(const std::wstring&, UINT)> g_soundHook;
}

void SetSoundHook(std::function<void(const std::wstring& fileName, UINT flags)> hook) { g_soundHook = std::move(hook); }

void PlaySoundFile(const std::wstring& fileName, bool wait) {
  // No SND_NODEFAULT: a missing file gives the system's default sound.
  const UINT flags = wait ? 0 : (SND_ASYNC | SND_NOSTOP);
  if (g_soundHook)
    g_soundHook(fileName, flags);
  else
    sndPlaySoundW(fileName.c_str(), flags);
}

void PlayAlarmSound() { PlaySoundFile(TrillFile, false); }

void PlayTrialSound(const std::wstring& fileName) {
  if (g_soundHook)
    g_soundHook(fileName, SND_ASYNC);
  else
    sndPlaySoundW(fileName.c_str(), SND_ASYNC);
}

void StopSound() {
  if (g_soundHook)
    g_soundHook(L"", 0);
  else
    sndPlaySoundW(nullptr, 0);
}

std::wstring SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : L"Error " + std::to_wstring(error);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

void AppendToErrorLog(const std::wstring& text) {
  // One writer for the one log: an entry like the error report's, the text broken into lines.
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (start < text.size() && (text[start] == L'\r' || text[start] == L'\n') && text[start] != text[end]) ++start;
  }
  AppendLog(ExeFolder() + L"ExceptionsLog.txt", lines);
}
