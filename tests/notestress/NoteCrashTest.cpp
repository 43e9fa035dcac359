// A program killed while it saves must lose no note: a child saves a folder of notes over and
// over and is killed at random instants; every note then holds its previous or its next content.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>

#include "TestSupport.h"
#include "notes/ClassesUnit.h"

namespace {

constexpr int kNotes = 6;

std::wstring NotePath(const std::wstring& folder, int i) { return folder + L"N" + std::to_wstring(i) + L".vxn"; }

// The two contents each note alternates between; the second spans several write chunks.
TNoteClass Content(int i, bool next) {
  TNoteClass n("N" + std::to_string(i));
  n.Created = 45000 + i, n.ExtraDate = 45001 + i, n.Left = n.Top = 10 * i;
  n.Title = next ? L"next" : L"previous";
  n.Text.assign(next ? 25000 + i : 1500 + i, static_cast<std::uint8_t>((next ? 'A' : 'a') + i));
  return n;
}

// The files of both contents, made once: a new record asks the window system for the screen size.
const std::vector<std::uint8_t>& Encoded(int i, bool next) {
  static std::vector<std::vector<std::uint8_t>> files;
  for (int k = static_cast<int>(files.size()); k < 2 * kNotes; ++k)
    files.push_back(EncodeNoteFile(Content(k / 2, k % 2)));
  return files[2 * i + next];
}

std::wstring Env(const wchar_t* name) {
  wchar_t buf[MAX_PATH] = L"";
  return GetEnvironmentVariableW(name, buf, MAX_PATH) ? buf : L"";
}

// Holds one of the two contents, as its file says.
void ExpectPreviousOrNext(const std::wstring& folder, int i, const char* when) {
  TNoteClass n("probe");
  ASSERT_TRUE(n.LoadFromFile(NotePath(folder, i))) << "note " << i << " " << when;
  const auto bytes = EncodeNoteFile(n);
  EXPECT_TRUE(bytes == Encoded(i, false) || bytes == Encoded(i, true))
      << "note " << i << " torn " << when << ": " << n.Text.size() << " bytes of text";
}

// The child: saves its notes over and over, alternating the contents, until it is killed.
TEST(NoteCrash, SaveChild) {
  const std::wstring folder = Env(L"VXQ_SAVE_CHILD");
  if (folder.empty()) GTEST_SKIP() << "only as the child of the crash test";
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, Env(L"VXQ_SAVE_READY").c_str());
  std::vector<TNoteClass> contents;
  for (int k = 0; k < 2 * kNotes; ++k) contents.push_back(Content(k / 2, k % 2));
  SetEvent(ready);
  // Bounded, so that a child whose parent died does not save for ever; but longer than the
  // parent waits for a kill to end it, so that a child that ended proves the kill.
  for (DWORD start = GetTickCount(), round = 1; GetTickCount() - start < 30000; ++round)
    for (int i = 0; i < kNotes; ++i) contents[2 * i + round % 2].SaveToFile(NotePath(folder, i));
}

// Starts a program with its output thrown away; its process handle, or null.
HANDLE Start(const std::wstring& exe, std::wstring cmd) {
  static SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  static HANDLE quiet = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = quiet;
  PROCESS_INFORMATION pi{};
  // Starting a process under a loaded Wine has failed once in a while; one more try, then say why.
  for (int attempt = 0; !CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
       ++attempt) {
    if (attempt == 2) {
      ADD_FAILURE() << "cannot start the child: error " << GetLastError();
      return nullptr;
    }
    Sleep(200);
  }
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

TEST(NoteCrash, EveryNoteSurvivesKillsAtRandomInstants) {
  if (!Env(L"VXQ_SAVE_CHILD").empty()) GTEST_SKIP();
  const char* env = std::getenv("VXQ_CRASH_SEED");
  const std::uint64_t seed = env ? std::strtoull(env, nullptr, 0) : 20240601;
  std::printf("crash seed %llu (set VXQ_CRASH_SEED to repeat or vary)\n", static_cast<unsigned long long>(seed));
  std::mt19937_64 rng(seed);
  testsupport::TempFolder temp(L"crash");
  const std::wstring folder = temp.Path();
  for (int i = 0; i < kNotes; ++i) ASSERT_TRUE(Content(i, false).SaveToFile(NotePath(folder, i)));
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);

  constexpr int kKills = 55, kUnixKill = 27;
  int tornSaves = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int kill = 0; kill < kKills; ++kill) {
    const std::wstring tag = L"VXQKILL" + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(kill);
    HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, tag.c_str());
    SetEnvironmentVariableW(L"VXQ_SAVE_CHILD", folder.c_str());
    SetEnvironmentVariableW(L"VXQ_SAVE_READY", tag.c_str());
    // The tag on the command line lets the Unix side find the process.
    HANDLE child = Start(exe, L"\"" + std::wstring(exe) + L"\" --gtest_filter=NoteCrash.SaveChild " + tag);
    SetEnvironmentVariableW(L"VXQ_SAVE_CHILD", nullptr);
    SetEnvironmentVariableW(L"VXQ_SAVE_READY", nullptr);
    ASSERT_TRUE(child);
    EXPECT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0) << "the child did not start saving";
    CloseHandle(ready);
    Sleep(std::uniform_int_distribution<DWORD>(0, 60)(rng));
    if (kill == kUnixKill)  // SIGKILL from outside Wine; [V] keeps the shell itself from matching
      CloseHandle(Start(L"Z:\\bin\\sh", L"/bin/sh -c \"for p in /proc/[0-9]*; do case $(tr '\\0' ' ' <$p/cmdline) in "
                                             L"*[V]" + tag.substr(1) +
                                             L"*) kill -9 ${p#/proc/};; esac; done 2>/dev/null\""));
    else
      TerminateProcess(child, 9);
    const bool ended = WaitForSingleObject(child, 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(child, 9), WaitForSingleObject(child, 10000);
    CloseHandle(child);
    ASSERT_TRUE(ended) << "kill " << kill << (kill == kUnixKill ? " by SIGKILL" : "") << " did not end the child";

    const std::string when = "after kill " + std::to_string(kill);
    for (int i = 0; i < kNotes; ++i) {
      ExpectPreviousOrNext(folder, i, when.c_str());
      tornSaves += GetFileAttributesW((NotePath(folder, i) + L".tmp").c_str()) != INVALID_FILE_ATTRIBUTES;
    }
  }
  // What the kills left behind does not stand in the way of the next saves.
  for (int i = 0; i < kNotes; ++i) {
    EXPECT_TRUE(Content(i, true).SaveToFile(NotePath(folder, i))) << i;
    ExpectPreviousOrNext(folder, i, "after the last save");
  }
  std::printf("crash: %d kills, %d cut a save short, %.1f s\n", kKills, tornSaves,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  EXPECT_GT(tornSaves, 0) << "no kill landed inside a save";
}

}  // namespace
