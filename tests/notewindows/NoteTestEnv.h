#pragma once
// What the note-window suites share: a fresh application and user folder per test, note files
// written by hand, and the real mouse and keyboard where a test needs them.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notes/NoteWrapper.h"
#include "notewindows/NoteFormUnit.h"
#include "shell/MainFormUnit.h"
#include "shell/VantaroEngineUnit.h"
#include "ui/Clock.h"
#include "ui/MessageBox.h"
#include "ui/RichEdit.h"

namespace notetest {

using testsupport::Bytes;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
using testsupport::ScreenPixel;
using testsupport::ScreenRect;
using testsupport::HeldKey;
using testsupport::ZRank;

constexpr double kMinute = 1.0 / 1440;  // in days, as TDateTime counts
constexpr double kSecond = kMinute / 60;

// The note as its file holds it now.
inline TNoteClass LoadNote(const std::wstring& path) {
  TNoteClass n("probe");
  EXPECT_TRUE(n.LoadFromFile(path)) << WideToUtf8(path);
  return n;
}

inline std::wstring PlainText(const TNoteClass& n) { return RichTextToPlainText(n.Text); }

// Writes a version 3 note file for id and returns its record.
inline TNoteClass WriteNote(const std::string& id, int left, int top, int width, int height, const std::wstring& title,
                            TColor color = clNone, const std::string& text = "") {
  TNoteClass n(id);
  n.Left = left, n.Top = top, n.Width = width, n.Height = height;
  n.Title = title, n.NoteColor = color;
  n.Text.assign(text.begin(), text.end());
  WriteBytes(NoteFileName(id), EncodeNoteFile(n));
  return n;
}

inline TNoteWrapper* FindNote(TNotesManager& m, const std::string& id) {
  for (TNoteWrapper* w : m.Notes->List)
    if (w->ID == id) return w;
  return nullptr;
}

// Keys as a user types them: WM_CHAR straight to the editor's window.
inline void TypeChar(TNoteForm* form, wchar_t c) { PostMessageW(form->NoteEdit->Handle(), WM_CHAR, c, 1); }
// A key pressed and let go in the editor, handled before this returns.
inline void PressKey(TNoteForm* form, UINT vk) {
  PostMessageW(form->NoteEdit->Handle(), WM_KEYDOWN, vk, 1);
  PostMessageW(form->NoteEdit->Handle(), WM_KEYUP, vk, 1u | 0xC0000000u);
  testsupport::Pump(20);
}
// A click of the left (or right) button at x, y of h, posted.
inline void PostClick(HWND h, int x, int y, bool right = false) {
  PostMessageW(h, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(h, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// xdotool is a Unix program; Wine starts it directly, but its process cannot be waited on.
inline const wchar_t* kXdotool = L"Z:\\usr\\bin\\xdotool";
inline bool HaveXdotool() { return GetFileAttributesW(kXdotool) != INVALID_FILE_ATTRIBUTES; }
// A Unix program (its path on Z:), started as Wine starts one.
inline bool StartUnixProgram(const std::wstring& path, const std::wstring& args) {
  std::wstring cmd = path + L" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
  return true;
}
inline bool StartXdotool(const std::wstring& args) { return StartUnixProgram(kXdotool, args); }

// A press of button at (x1, y1), two moves to (x2, y2), and the release, for xdotool.
inline std::wstring XDrag(int button, int x1, int y1, int x2, int y2) {
  auto n = [](int v) { return std::to_wstring(v); };
  return L"mousemove " + n(x1) + L" " + n(y1) + L" sleep 0.3 mousedown " + n(button) + L" sleep 0.3 mousemove " +
         n((x1 + x2) / 2) + L" " + n((y1 + y2) / 2) + L" sleep 0.2 mousemove " + n(x2) + L" " + n(y2) +
         L" sleep 0.3 mouseup " + n(button);
}

// Holds a file open with no sharing, as another program might.
struct Lock {
  explicit Lock(const std::wstring& path)
      : h(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Lock() { Release(); }
  void Release() { CloseHandle(std::exchange(h, INVALID_HANDLE_VALUE)); }
  HANDLE h;
};

// The settings key cannot be made while its parent is volatile: the settings cannot be written.
class UnwritableSettings {
 public:
  UnwritableSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kParent);
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kParent, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegCloseKey(key);
  }
  ~UnwritableSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kParent); }
  bool Refused() const {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto\\VxVantaro", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    return rc != ERROR_SUCCESS;
  }

 private:
  static constexpr const wchar_t* kParent = L"SOFTWARE\\Belvanto";
};

// A started program, as far as a shut-down needs it: the engine owns the notes, the main window
// owns the print dialog. Returns the window of its one note; the shut-down frees them all.
inline TNoteForm* StartProgramWithOneNote() {
  auto* engine = new TVantaroEngine;
  VantaroEngine = engine;
  VantaroMainForm = new TVantaroMainForm(Application);
  engine->NotesManager = new TNotesManager;
  engine->NotesManager->NewNote();
  return engine->NotesManager->Notes->Items(0)->Form;
}

// Runs the close animation that a close started to its end, by its timer.
inline void FinishAnimation(TNoteForm* f) {
  for (int i = 0; i < 100 && f->AnimationTimer->Enabled(); ++i) f->AnimationTimer->Tick();
}

// Runs act, which opens a menu, and probe once that menu is up and has been for a few ticks
// (or after a long while, when none came up); then closes the menu. A busy machine may take
// seconds to show it.
inline void WithMenuOpen(const std::function<void()>& act, std::function<void()> probe) {
  constexpr DWORD kNoMenuMs = testsupport::kPatience;
  static std::function<void()> pending;
  static DWORD start;
  static int shown;  // ticks the menu has been up
  static bool done;
  pending = std::move(probe), start = GetTickCount(), shown = 0, done = false;
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    const bool up = TPopupMenu::Current() && TPopupMenu::Current()->CurrentHandle() &&
                    IsWindowVisible(FindWindowW(L"#32768", nullptr));
    if (up ? ++shown < 4 : GetTickCount() - start < kNoMenuMs) return;
    KillTimer(nullptr, id);
    if (pending) std::exchange(pending, nullptr)();
    done = true;
    EndMenu();
  });
  act();
  EXPECT_TRUE(testsupport::PumpUntil([] { return done; }, kNoMenuMs + 10000)) << "the menu's probe ran";
  EXPECT_GT(shown, 0) << "the menu came up";
  testsupport::Pump(100);
  pending = nullptr;
}

// A fresh application and user folder, with the flags of a program that has finished starting.
class NoteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<testsupport::TempFolder>(
        Utf8ToWide(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    app_ = std::make_unique<TApplication>();
    SetExeFolderOverride(folder_->Path());
    SetDefaultSettings();
    InitUserFolder();
    Loading = Closing = NoteAnimations = NoteTransparency = false;
    UIEnabled = SafeSave = true;
    SetMessageBoxAnswerer([](const MessageBoxRequest& r) {
      ADD_FAILURE() << "unexpected message box: " << WideToUtf8(r.Text);
      return IDNO;
    });
  }

  void TearDown() override {
    manager.reset();
    app_.reset();
    // A shut-down test ends the message loop; the next test needs its messages again.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    SetMessageBoxAnswerer({});
    SetNowOverride(std::nullopt);
    SetExeFolderOverride(L"");
    Closing = NoteTransparency = false;
    NoteAnimations = SafeSave = true;
    folder_.reset();
  }

  TNotesManager& Manager() {
    if (!manager) manager = std::make_unique<TNotesManager>();
    return *manager;
  }

  // A new note through the manager, placed and titled.
  TNoteWrapper* OpenNote(int left, int top, int width, int height, const std::wstring& title,
                         TColor color = clNone) {
    Manager().NewNote();
    TNoteWrapper* w = manager->Notes->Items(manager->Notes->Count() - 1);
    w->Note->Left = left, w->Note->Top = top, w->Note->Width = width, w->Note->Height = height;
    w->Note->Title = title, w->Note->NoteColor = color;
    w->RefreshForm();
    return w;
  }

  // Records the text of every message box and answers it: OK unless answer says otherwise.
  void RecordBoxes(std::function<int(const MessageBoxRequest&)> answer = {}) {
    SetMessageBoxAnswerer([this, answer = std::move(answer)](const MessageBoxRequest& r) {
      boxes.push_back(r.Text);
      return answer ? answer(r) : IDOK;
    });
  }

  std::unique_ptr<TNotesManager> manager;
  std::vector<std::wstring> boxes;

 private:
  std::unique_ptr<testsupport::TempFolder> folder_;
  std::unique_ptr<TApplication> app_;
};

}  // namespace notetest
