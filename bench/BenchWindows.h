#pragma once
// What the program's benchmarks and the floor they are measured against share: the sample
// text of a note, where note i stands, and the floor's plain note window (a caption-less window
// with a rich-edit child). Only the platform's headers: the floor links no code of ours.
#include <windows.h>
#include <richedit.h>

#include <cstring>
#include <string>

inline std::string SampleRtf(int i) {
  return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
         "\\f0\\fs16 Note number " + std::to_string(i) +
         "\\par Buy milk, call the garage about the brakes, \\b finish the report\\b0  before Friday."
         "\\par Meeting notes: budget, hiring, the new office plan and the summer schedule.\\par }";
}

// Where note i stands: a cascade one pixel apart, so that every note keeps a sliver of itself
// on the screen, where bench/xwatch sees it painted.
inline POINT BenchNotePosition(int i) { return POINT{100 + i % 1000, 50 + i % 900}; }
constexpr int kBenchNoteSize = 160;

// EM_STREAMIN's reader of a std::string it consumes.
inline DWORD CALLBACK ReadIn(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
  auto* s = reinterpret_cast<std::string*>(cookie);
  LONG n = static_cast<LONG>(s->size()) < cb ? static_cast<LONG>(s->size()) : cb;
  memcpy(buf, s->data(), n);
  s->erase(0, n);
  *done = n;
  return 0;
}

// The floor's window class "BenchPlain" with the rich-edit library loaded.
inline HINSTANCE RegisterPlainClass(WNDPROC proc) {
  LoadLibraryW(L"riched20.dll");
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BenchPlain";
  RegisterClassW(&wc);
  return wc.hInstance;
}

// The floor's note i, shown: a plain caption-less window whose rich-edit child (its first
// child) holds the sample text.
inline HWND PlainNote(int i, HWND owner = nullptr) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  const POINT at = BenchNotePosition(i);
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchPlain", L"", WS_POPUP | WS_CLIPCHILDREN, at.x, at.y,
                           kBenchNoteSize, kBenchNoteSize, owner, nullptr, inst, nullptr);
  HWND re = CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 3, 13, 154,
                            144, w, nullptr, inst, nullptr);
  std::string rtf = SampleRtf(i);
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, ReadIn};
  SendMessageW(re, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
  ShowWindow(w, SW_SHOW);
  return w;
}
