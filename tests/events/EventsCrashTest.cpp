// A program killed while it saves its events loses no event the user confirmed, and leaves no
// torn file: a child adds events one after the other (each saved when confirmed) and is killed
// at random instants; the file then holds every event the child had confirmed.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "TestSupport.h"
#include "events/MyEventsManagerUnit.h"
#include "notes/InternalProcs.h"
#include "ui/MessageBox.h"

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buf[MAX_PATH] = L"";
  return GetEnvironmentVariableW(name, buf, MAX_PATH) ? buf : L"";
}

// The number of events the child has confirmed, where the parent can read it after the kill.
struct Confirmed {
  explicit Confirmed(const std::wstring& name)
      : map(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name.c_str())),
        count(static_cast<volatile LONG*>(MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG)))) {}
  ~Confirmed() {
    UnmapViewOfFile(const_cast<LONG*>(count));
    CloseHandle(map);
  }
  HANDLE map;
  volatile LONG* count;
};

TEST(EventsCrash, AddChild) {
  const std::wstring folder = Env(L"VXQ_EVENTS_CHILD");
  if (folder.empty()) GTEST_SKIP() << "only as the child of the crash test";
  NotesFolder = folder;
  Confirmed confirmed(Env(L"VXQ_EVENTS_COUNT"));
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDOK; });
  TMyEventsmanager m;
  m.LoadEvents();
  int next = m.Events.Count();
  EventsWindows.EditEvent = [&next](std::wstring& text, TDateTime&) {
    // Long texts, so that a save takes long enough for kills to land inside it.
    text = L"event " + std::to_wstring(next) + L" " + std::wstring(200, L'x');
    return true;
  };
  SetEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, Env(L"VXQ_EVENTS_READY").c_str()));
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000;) {
    if (!m.AddEvent()) break;
    *confirmed.count = ++next;
  }
}

TEST(EventsCrash, KillsDuringSavesLoseNoConfirmedEvent) {
  if (!Env(L"VXQ_EVENTS_CHILD").empty()) GTEST_SKIP();
  std::mt19937 rng(20261207);
  testsupport::TempFolder temp(L"eventscrash");
  const std::wstring file = temp.Path() + kEventsFileName;
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  constexpr int kKills = 12;
  int torn = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    const std::wstring tag = L"VXQEVKILL" + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(kill);
    Confirmed confirmed(tag + L"count");
    *confirmed.count = -1;
    HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, tag.c_str());
    SetEnvironmentVariableW(L"VXQ_EVENTS_CHILD", temp.Path().c_str());
    SetEnvironmentVariableW(L"VXQ_EVENTS_READY", tag.c_str());
    SetEnvironmentVariableW(L"VXQ_EVENTS_COUNT", (tag + L"count").c_str());
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --gtest_filter=EventsCrash.AddChild";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const bool started = CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    for (const wchar_t* v : {L"VXQ_EVENTS_CHILD", L"VXQ_EVENTS_READY", L"VXQ_EVENTS_COUNT"}) SetEnvironmentVariableW(v, nullptr);
    ASSERT_TRUE(started) << GetLastError();
    CloseHandle(pi.hThread);
    EXPECT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0) << "the child did not start";
    CloseHandle(ready);
    Sleep(std::uniform_int_distribution<DWORD>(20, 120)(rng));
    TerminateProcess(pi.hProcess, 9);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(pi.hProcess);
    const LONG count = *confirmed.count;
    torn += GetFileAttributesW((file + L".tmp").c_str()) != INVALID_FILE_ATTRIBUTES;

    NotesFolder = temp.Path();
    TMyEventsmanager m;
    m.LoadEvents();
    EXPECT_TRUE(m.LoadProblem().empty()) << "kill " << kill << ": " << WideToUtf8(m.LoadProblem());
    EXPECT_GE(m.Events.Count(), count) << "kill " << kill << " lost a confirmed event";
    for (int i = 0; i < m.Events.Count(); ++i)
      ASSERT_EQ(m.Events.GetItem(i)->Text, L"event " + std::to_wstring(i) + L" " + std::wstring(200, L'x'))
          << "kill " << kill << ", event " << i;
  }
  std::printf("events crash: %d kills, %d cut a save short\n", kKills, torn);
}

}  // namespace
