#pragma once
// Linux's own counts of a process, read through Wine's Z: drive: a Wine program is a Linux
// process, and so is the Wine server that serves it. The server opens the files, so
// /proc/self is the server: a program finds its own id with LinuxPidOf.
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

inline std::string ReadLinuxFile(const std::string& path) {
  std::string winPath = "Z:" + path;
  for (char& c : winPath)
    if (c == '/') c = '\\';
  HANDLE f = CreateFileA(winPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
  CloseHandle(f);
  return text;
}

// The proportional set size: the process's private pages and its share of those it shares.
inline long LinuxPssKb(const std::string& pid) {
  const std::string s = ReadLinuxFile("/proc/" + pid + "/smaps_rollup");
  const size_t at = s.find("\nPss:");
  return at == std::string::npos ? -1 : std::atol(s.c_str() + at + 5);
}

// Processor time of a process's main thread in milliseconds, to the nanosecond.
inline double LinuxThreadCpuMs(const std::string& pid) {
  const std::string s = ReadLinuxFile("/proc/" + pid + "/schedstat");
  return s.empty() ? 0 : static_cast<double>(std::strtoull(s.c_str(), nullptr, 10)) / 1e6;
}

// The Linux process of a Wine program: its first argument (the program's path, as Wine
// starts it) ends with exe, and the arguments after it hold args.
inline int LinuxPidOf(const std::string& exe, const std::string& args = "") {
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string want = lower(exe);
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA("Z:\\proc\\*", &fd);
  if (f == INVALID_HANDLE_VALUE) return 0;
  int found = 0;
  do {
    const int pid = std::atoi(fd.cFileName);
    if (pid <= 0) continue;
    const std::string cmdline = ReadLinuxFile("/proc/" + std::to_string(pid) + "/cmdline");
    const std::string first = lower(cmdline.substr(0, cmdline.find('\0')));
    if (first.size() < want.size() || first.compare(first.size() - want.size(), want.size(), want) != 0) continue;
    const size_t sep = first.size() - want.size();
    if (sep > 0 && first[sep - 1] != '\\' && first[sep - 1] != '/') continue;
    if (cmdline.find(args, first.size()) != std::string::npos) found = pid;
  } while (!found && FindNextFileA(f, &fd));
  FindClose(f);
  return found;
}

// The Wine server serving this prefix: scripts/bench names it, as several may run.
inline int WineServerPid() {
  const char* pid = std::getenv("VXQ_SERVER_PID");
  return pid ? std::atoi(pid) : 0;
}
