#pragma once
// What the note-properties suites share: running the dialog with a script that acts on it once
// it is up, real keys and typing, and answering the system's own dialogs from another thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "TestSupport.h"
#include "language/VxMLSTDCTRLWrapper.h"
#include "language/VxMultiLanguageEngine.h"
#include "notewindows/NoteConfUnit.h"
#include "notewindows/NoteTestEnv.h"
#include "ui/ExtCtrls.h"
#include "ui/Paths.h"

namespace noteconftest {

using testsupport::ScreenRect;

// A key pressed in the focused window, through the application's own loop (so the dialog
// keyboard sees it).
inline void Key(WPARAM vk) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, vk, 1);
  PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
  Application->ProcessMessages();
}

// Alt and a key, as the keyboard sends it to the focused window.
inline void AltKey(WPARAM vk) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_SYSKEYDOWN, vk, 0x20000001);
  PostMessageW(focus, WM_SYSKEYUP, vk, 0xE0000001);
  Application->ProcessMessages();
}

// Characters typed into a window as the keyboard would deliver them.
inline void Type(HWND h, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(h, WM_CHAR, c, 1);
}

// The control object that has the keyboard focus (the combo box for its edit, say).
inline TWinControl* FocusedControl() {
  for (HWND h = GetFocus(); h; h = GetParent(h))
    if (TWinControl* c = TWinControl::FromHandle(h)) return c;
  return nullptr;
}

// A language file of the given text made and loaded as the program's language; the test frees
// it with DoneLanguageEngine.
inline void UseLanguage(const std::wstring& name, const std::string& text) {
  ForceDirectories(LanguagesFolder());
  notetest::WriteBytes(LanguageFileName(name), notetest::Bytes(text.begin(), text.end()));
  LanguageEngine = new TVxMultiLanguage;
  LanguageWrapper = new TVxMultiLanguageSTDWrp(LanguageEngine);
  LanguageEngine->LoadFromFile(LanguageFileName(name));
}

// The open properties dialog, or null.
inline TNoteConf* OpenDialog() { return testsupport::OpenModalForm<TNoteConf>(); }

// Opens the dialog through start; once it is up, act runs inside its modal loop (and usually
// ends it). Returns whether act ran.
inline bool RunDialogBy(const std::function<void()>& start, const std::function<void(TNoteConf&)>& act) {
  return testsupport::RunModal<TNoteConf>(start, act, testsupport::kPatience);
}

// The dialog for the note, run directly.
inline bool RunDialog(TNoteWrapper* w, TForm* owner, int x, int y, const std::function<void(TNoteConf&)>& act) {
  return RunDialogBy([&] { EditNotePropertiesEx(owner, w, x, y); }, act);
}

// Screen pixel inside a window of ours, after it has painted.
inline COLORREF PixelOf(HWND h, int x, int y) {
  UpdateWindow(h);
  HDC dc = GetDC(h);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(h, dc);
  return c;
}

}  // namespace noteconftest
