#pragma once
// What the events suites share: a user folder of their own, a fixed clock, the short date
// format pinned in the user's regional settings, message boxes recorded, and an edit dialog
// that answers as a test tells it to.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "events/MyEventsManagerUnit.h"
#include "notes/InternalProcs.h"
#include "ui/Clock.h"
#include "ui/FileIO.h"
#include "ui/MessageBox.h"
#include "ui/Paths.h"

namespace eventstest {

using testsupport::Bytes;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Sets the user's short date format for as long as it lives, as the regional settings do.
class ShortDateFormat {
 public:
  explicit ShortDateFormat(const wchar_t* format) {
    wchar_t old[80] = L"";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, old, 80);
    old_ = old;
    Set(format);
  }
  ~ShortDateFormat() { Set(old_.c_str()); }
  void Set(const wchar_t* format) { EXPECT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format)); }

 private:
  std::wstring old_;
};

// What the edit dialog is asked for and answers.
struct FakeEditor {
  bool Confirm = true;
  std::optional<std::wstring> Text;
  std::optional<TDateTime> Date;
  std::function<void()> WhileOpen;  // runs as if the dialog's message loop ran it
  int Calls = 0;
};

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<testsupport::TestUserFolder>();
    Closing = false;
    SetNow(2026, 5, 10, 12);
    SetMessageBoxAnswerer([this](const MessageBoxRequest& r) {
      boxes.push_back(r.Text);
      return IDOK;
    });
    EventsWindows = {};
    UseFakeEditor();
  }

  // The edit dialog answers as editor says.
  void UseFakeEditor() {
    EventsWindows.EditEvent = [this](std::wstring& text, TDateTime& date) {
      ++editor.Calls;
      if (editor.WhileOpen) editor.WhileOpen();
      if (!editor.Confirm) return false;
      if (editor.Text) text = *editor.Text;
      if (editor.Date) date = *editor.Date;
      return true;
    };
  }

  void TearDown() override {
    EventsWindows = {};
    SetMessageBoxAnswerer({});
    SetNowOverride(std::nullopt);
    SetWriteFailAfter(std::nullopt);
    Closing = false;
    folder_.reset();
  }

  static void SetNow(int y, int m, int d, int hour = 12) { SetNowOverride(EncodeDateTime(y, m, d, hour)); }
  static TDateTime Day(int y, int m, int d) { return EncodeDateTime(y, m, d); }
  std::wstring File() const { return NotesFolder + kEventsFileName; }
  std::wstring Folder() const { return folder_->Path(); }

  // A manager that has read the events file, as the engine builds it.
  std::unique_ptr<TMyEventsmanager> Load() {
    auto m = std::make_unique<TMyEventsmanager>();
    m->LoadEvents();
    return m;
  }
  // A manager holding these events, in this order, saved.
  std::unique_ptr<TMyEventsmanager> Saved(const std::vector<std::pair<std::wstring, TDateTime>>& events) {
    auto m = std::make_unique<TMyEventsmanager>();
    for (const auto& [text, date] : events) {
      auto* e = new TMYEvent;
      e->Text = text, e->Date = date;
      m->Events.Add(e);
    }
    EXPECT_TRUE(m->SaveEvents());
    return m;
  }

  static std::vector<std::wstring> Texts(const TMyEventsList& list) {
    std::vector<std::wstring> texts;
    for (const TMYEvent* e : list.Items()) texts.push_back(e->Text);
    return texts;
  }

  FakeEditor editor;
  std::vector<std::wstring> boxes;
  ShortDateFormat format_{L"M/d/yyyy"};

 private:
  std::unique_ptr<testsupport::TestUserFolder> folder_;
};

}  // namespace eventstest
