#pragma once
// What the showing of notes prints, for the program's notes (bench/NoteBench) and for the
// floor's (bench/FloorBench) alike: the memory of the process, and the processor time of typed
// keys. Only the platform's headers: the floor links no code of ours.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <functional>
#include <string>

#include "BenchClock.h"
#include "BenchLinux.h"

// This process's Linux id (the Wine server opens files, so /proc/self would be the server).
inline std::string SelfPid(const char* exe) {
  static const std::string pid = std::to_string(LinuxPidOf(exe));
  return pid;
}

inline void PrintMemory(const char* exe, const char* mode, int n, int open, double showMs, double saveMs, double t0,
                        double t1) {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  std::printf("%-5s notes=%4d open=%4d show_ms=%8.1f save_ms=%6.2f private_kb=%7zu working_set_kb=%7zu pss_kb=%7ld "
              "t0=%.3f t1=%.3f\n",
              mode, n, open, showMs, saveMs,
              static_cast<size_t>((pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1024),
              static_cast<size_t>(pmc.WorkingSetSize / 1024), LinuxPssKb(SelfPid(exe)), t0, t1);
  std::fflush(stdout);
}

// Types keys into the focused window: a key-down and key-up each, translated into a
// character by the loop as the keyboard's would be; pump handles what they bring.
inline void Type(const char* exe, const char* mode, int open, int keys, const std::function<void()>& pump) {
  HWND focus = GetFocus();
  if (!focus) {
    std::printf("%-5s typing: nothing has the focus\n", mode);
    return;
  }
  const std::string self = SelfPid(exe), server = std::to_string(WineServerPid());
  const double c0 = LinuxThreadCpuMs(self), s0 = LinuxThreadCpuMs(server);
  TraceMark(L"typing-begin");
  for (int i = 0; i < keys; ++i) {
    const UINT vk = i % 40 == 39 ? VK_RETURN : i % 8 == 7 ? VK_SPACE : 'A' + i % 26;
    const LPARAM lp = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
    PostMessageW(focus, WM_KEYDOWN, vk, lp);
    PostMessageW(focus, WM_KEYUP, vk, lp | 0xC0000000);
    pump();
  }
  TraceMark(L"typing-end");
  const double cpu = LinuxThreadCpuMs(self) - c0, serverCpu = LinuxThreadCpuMs(server) - s0;
  std::printf("%-5s typing open=%4d keys=%5d cpu_ms=%8.2f server_cpu_ms=%8.2f per_key_ms=%7.4f\n", mode, open, keys,
              cpu, serverCpu, (cpu + serverCpu) / keys);
  std::fflush(stdout);
}
