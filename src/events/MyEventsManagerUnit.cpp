#include "events/MyEventsManagerUnit.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "notes/InternalProcs.h"
#include "ui/Clock.h"
#include "ui/DateEdit.h"
#include "ui/FileIO.h"
#include "ui/Forms.h"
#include "ui/IniText.h"
#include "ui/MessageBox.h"
#include "ui/Paths.h"

TEventsWindows EventsWindows;

namespace {
constexpr wchar_t kCaption[] = L"Vantaro";
// A backup or a sync tool holds a file for seconds or minutes: ten minutes of tries, as for notes.
constexpr int kLoadTries = 600;

TDateTime CurrentDay() { return std::floor(Now()); }

int YearOf(TDateTime moment) {
  int year, month, day;
  DecodeDate(moment, year, month, day);
  return year;
}

// Whether the file holds nothing but blanks (an empty events file rather than some other file).
bool BlankFile(const std::wstring& fileName) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(fileName, bytes)) return false;
  TIniEncoding encoding;
  const std::wstring text = DecodeIniBytes(bytes, encoding);
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c <= L' ' || c == 0xFEFF; });
}

// The first free name beside the file for a copy set aside: name.damaged, name.damaged2, ...
std::wstring AsideName(const std::wstring& fileName) {
  std::wstring name = fileName + L".damaged";
  for (int n = 2; FileExists(name) && n < 1000; ++n) name = fileName + L".damaged" + std::to_wstring(n);
  return name;
}
}  // namespace

std::wstring EventDateToStr(TDateTime date) { return TShortDateWriter().Write(date); }

// ---------------------------------------------------------------- TMYEvent

TMYEvent::TMYEvent() : Date(CurrentDay()) {}

TMYEvent::~TMYEvent() {
  if (alive_) *alive_ = false;
}

TLifeCheck TMYEvent::Watch() {
  if (!alive_) alive_ = std::make_shared<bool>(true);
  return TLifeCheck(alive_);
}

TDateTime TMYEvent::AnniversaryDate() const { return AnniversaryDate(CurrentDay()); }

TDateTime TMYEvent::AnniversaryDate(TDateTime today) const {
  if (!IsCalendarDay(Date)) return Date;
  int year, month, day, thisYear, m, d;
  DecodeDate(Date, year, month, day);
  DecodeDate(today, thisYear, m, d);
  // An event dated later than today is placed in next year.
  if (today < Date) ++thisYear;
  TDateTime result;
  if (TryEncodeDate(thisYear, month, day, result)) return result;
  // 29 February in a year without it: on the last day of February, every such year.
  if (month == 2 && day == 29 && TryEncodeDate(thisYear, 2, 28, result)) return result;
  return Date;
}

int TMYEvent::YearsSince() const { return YearOf(CurrentDay()) - YearOf(Date); }

std::wstring TMYEvent::DateDisplay() const { return DateUnread ? DateText : EventDateToStr(Date); }

bool TMYEvent::Edit() {
  if (!EventsWindows.EditEvent) return false;
  std::wstring text = Text;
  TDateTime date = Date;
  TLifeCheck alive = Watch();
  const bool confirmed = EventsWindows.EditEvent(text, date);
  // The dialog ran the message loop: a session end may have freed the event meanwhile.
  if (!alive || !confirmed) return false;
  Text = text;
  Date = date;
  DateUnread = false;
  DateText.clear();
  return true;
}

// ---------------------------------------------------------------- TMyEventsList

int TMyEventsList::IndexOf(const TMYEvent* event) const {
  auto it = std::find(items_.begin(), items_.end(), event);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMyEventsList::InsertFront(const TMyEventsList& other) {
  items_.insert(items_.begin(), other.items_.begin(), other.items_.end());
}

void TMyEventsList::Delete(int index) { items_.erase(items_.begin() + index); }

void TMyEventsList::Remove(const TMYEvent* event) {
  items_.erase(std::remove(items_.begin(), items_.end(), event), items_.end());
}

// ---------------------------------------------------------------- TMyEventsmanager

TMyEventsmanager::TMyEventsmanager() : FileName(NotesFolder + kEventsFileName) {}

TMyEventsmanager::~TMyEventsmanager() {
  *alive_ = false;
  try {
    CloseForm(managerForm_, managerAlive_, true);
  } catch (...) {
  }
  try {
    CloseForm(latestForm_, latestAlive_, true);
  } catch (...) {
  }
  Today.Clear();
  Tomorrow.Clear();
  Incoming.Clear();
  for (TMYEvent* e : Events.Items()) delete e;
  Events.Clear();
}

void TMyEventsmanager::Report(const std::wstring& text) {
  // During the shut-down nobody is there to read a box.
  if (Closing) return AppendToErrorLog(text);
  ShowMessageBox(text, kCaption, MB_OK | MB_ICONERROR);
}

TMyEventsmanager::TRead TMyEventsmanager::ReadFile(TMyEventsList& read) {
  TIniText ini;
  unsigned long error = 0;
  switch (LoadIniFile(FileName, ini, &error)) {
    case TIniLoad::Missing: return TRead::Done;
    case TIniLoad::Unreadable:
      loadProblem_ = L"The events file " + FileName + L" cannot be read: " + SystemErrorText(error);
      return TRead::Held;
    case TIniLoad::NotText: break;
    case TIniLoad::Ok: {
      if (ini.SawSectionLine) {
        const TShortDateReader dates;
        for (const TIniSection& section : ini.Sections) {
          if (section.Name.size() < 4 || !SameText(section.Name.substr(0, 4), L"item")) continue;
          auto* e = new TMYEvent;
          e->OnDisk = true;
          e->Text = section.Read(L"text");
          const std::wstring date = section.Read(L"date");
          TDateTime day = 0;
          if (!date.empty() && dates.Read(date, day)) {
            e->Date = day;
          } else {
            e->Date = Now();
            e->DateUnread = true;
            e->DateText = date;
          }
          read.Add(e);
        }
        return TRead::Done;
      }
      // Nothing at all, or only blanks: an events file without events.
      if (BlankFile(FileName)) return TRead::Done;
      break;
    }
  }
  // Not an events file: it goes aside, whole, and the events of this run get a file of their own.
  const std::wstring aside = AsideName(FileName);
  if (MoveFileExW(FileName.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
    loadProblem_ = L"The events file " + FileName + L" holds no events. It was kept as " + aside +
                   L" and a new events file is started.";
    return TRead::Aside;
  }
  loadProblem_ = L"The events file " + FileName + L" holds no events, and it cannot be kept aside: " +
                 SystemErrorText(GetLastError());
  return TRead::Held;
}

void TMyEventsmanager::LoadEvents() {
  TMyEventsList read;
  const TRead result = ReadFile(read);
  Events.InsertFront(read);
  if (result == TRead::Done) return;
  if (result == TRead::Held) {
    keepFile_ = true;
    loadTriesLeft_ = kLoadTries;
    loadProblem_ += L"\n\rIt is read again as soon as it can be, and the events you enter meanwhile are added to it; "
                    L"until then it is left as it is.";
  }
  Report(loadProblem_);
}

TMyEventsmanager::TRead TMyEventsmanager::ReadAgain() {
  if (!keepFile_) return TRead::Done;
  TMyEventsList read;
  const TRead result = ReadFile(read);
  if (result == TRead::Held) return result;
  keepFile_ = false;
  loadTriesLeft_ = 0;
  failureTold_ = false;
  if (result == TRead::Done) loadProblem_.clear();
  // The file's events come first, as they would have at start-up; what the user entered
  // meanwhile follows in its order.
  Events.InsertFront(read);
  if (EventsWindows.EventsChanged) EventsWindows.EventsChanged(*this);
  return result;
}

void TMyEventsmanager::RetryLoad() {
  if (loadTriesLeft_ <= 0) return;
  --loadTriesLeft_;
  TLifeCheck alive = Watch();
  const TRead result = ReadAgain();
  if (result == TRead::Held) {
    if (loadTriesLeft_ > 0) return;
    return Report(loadProblem_ + L"\n\rIt is no longer tried. " +
                  (Unsaved() ? L"The events entered meanwhile are added to it at the end if it can be read then, "
                               L"or else written to the error log."
                             : L"It is left as it is."));
  }
  if (result == TRead::Aside) Report(loadProblem_);
  // What the start-up could not announce, the file being held then; an open window shows the
  // events that came.
  if (alive) ShowLatest(LatestForm() != nullptr);
  if (alive && Unsaved()) SaveEvents();
}

void TMyEventsmanager::Tick() {
  TLifeCheck alive = Watch();
  if (loadTriesLeft_ > 0) RetryLoad();
  // A save that failed is tried again every second until it succeeds; the failure was told once.
  if (alive && !keepFile_ && Unsaved()) SaveEvents();
}

bool TMyEventsmanager::Unsaved() const {
  return !unsavedDeletes_.empty() ||
         std::any_of(Events.Items().begin(), Events.Items().end(), [](const TMYEvent* e) { return e->Unsaved; });
}

std::wstring TMyEventsmanager::LostChanges() const {
  std::wstring lines;
  const TShortDateWriter dates;
  for (const TMYEvent* e : Events.Items())
    if (e->Unsaved) lines += L"\n\r" + (e->DateUnread ? e->DateText : dates.Write(e->Date)) + L"  " + e->Text;
  for (const std::wstring& deleted : unsavedDeletes_) lines += L"\n\rDeleted: " + deleted;
  return lines.empty() ? lines : L"\n\rThese events are not saved:" + lines;
}

bool TMyEventsmanager::WriteEventsFile() {
  TIniWriter ini;
  ini.Section(L"main");
  ini.Key(L"fileinfo", L"1");
  const TShortDateWriter dates;
  const int count = Events.Count();
  for (int i = 0; i < count; ++i) {
    const TMYEvent* e = Events.GetItem(i);
    ini.Section(L"item" + std::to_wstring(i));
    ini.Key(L"Text", e->Text);
    ini.Key(L"date", e->DateUnread ? e->DateText : dates.Write(e->Date));
  }
  DWORD error = SaveIniFile(FileName, ini.Text());
  // The folder itself may have gone (a restore or a sync tool): it is made again, and the save
  // tried once more.
  if (error == ERROR_PATH_NOT_FOUND && ForceDirectories(ExtractFilePath(FileName)))
    error = SaveIniFile(FileName, ini.Text());
  if (error != 0) {
    lastFailure_ = L"Unable to write to " + FileName + L": " + SystemErrorText(error);
    return false;
  }
  for (TMYEvent* e : Events.Items()) e->Unsaved = false, e->OnDisk = true;
  unsavedDeletes_.clear();
  lastFailure_.clear();
  failureTold_ = false;
  return true;
}

bool TMyEventsmanager::SaveEvents() {
  // At the end the file held so far gets one more read: what the user entered joins it.
  if (keepFile_ && Closing && Unsaved()) ReadAgain();
  if (keepFile_) {
    // Nothing the user confirmed goes without a word.
    if (Closing && Unsaved()) AppendToErrorLog(loadProblem_ + LostChanges());
    return false;
  }
  if (WriteEventsFile()) return true;
  const std::wstring text = lastFailure_ + L"\n\rThe file keeps the events it held before.";
  // During the shut-down nobody is there to read a box: the log gets every failure, with what
  // it costs. Otherwise one box for a run of failures.
  if (Closing) {
    AppendToErrorLog(text + LostChanges());
  } else if (!failureTold_) {
    failureTold_ = true;
    Report(text);
  }
  return false;
}

std::wstring TMyEventsmanager::SavePending() {
  if (!Unsaved()) return L"";
  if (keepFile_ && ReadAgain() == TRead::Held) return loadProblem_;
  return WriteEventsFile() ? std::wstring() : lastFailure_;
}

bool TMyEventsmanager::Classify(bool rebuild) {
  if (rebuild) {
    const TDateTime today = CurrentDay(), tomorrow = today + 1;
    for (TMYEvent* e : Events.Items()) {
      const TDateTime day = e->AnniversaryDate(today);
      if (day == today) {
        Today.Add(e);
      } else if (day == tomorrow) {
        Tomorrow.Add(e);
      }
    }
  }
  return Today.Count() > 0 || Tomorrow.Count() > 0 || Incoming.Count() > 0;
}

bool TMyEventsmanager::AddEvent() {
  auto event = std::make_unique<TMYEvent>();
  TLifeCheck alive = Watch();
  const bool confirmed = event->Edit();
  if (!alive || !confirmed) return false;
  event->Unsaved = true;
  Events.Add(event.release());
  // A confirmed change goes to disk at once: a crash must not cost the events of a whole run.
  SaveEvents();
  return true;
}

bool TMyEventsmanager::EditEvent(int index) {
  if (index < 0 || index >= Events.Count()) return false;
  TLifeCheck alive = Watch();
  TMYEvent* e = Events.GetItem(index);
  TLifeCheck eventAlive = e->Watch();
  const bool confirmed = e->Edit();
  if (!alive || !eventAlive || !confirmed) return false;
  e->Unsaved = true;
  // A confirmed change goes to disk at once: a crash must not cost the events of a whole run.
  SaveEvents();
  return true;
}

void TMyEventsmanager::DeleteEvent(int index) {
  if (index < 0 || index >= Events.Count()) return;
  TMYEvent* e = Events.GetItem(index);
  Events.Delete(index);
  Today.Remove(e);
  Tomorrow.Remove(e);
  Incoming.Remove(e);
  delete e;
}

void TMyEventsmanager::DeleteEventAndSave(int index) {
  if (index < 0 || index >= Events.Count()) return;
  if (const TMYEvent* e = Events.GetItem(index); e->OnDisk)
    unsavedDeletes_.push_back(e->DateDisplay() + L"  " + e->Text);
  DeleteEvent(index);
  // A confirmed change goes to disk at once: a crash must not cost the events of a whole run.
  SaveEvents();
}

// ---------------------------------------------------------------- the windows

TForm* TMyEventsmanager::ManagerForm() const { return managerAlive_ ? managerForm_ : nullptr; }

TForm* TMyEventsmanager::LatestForm() const { return latestAlive_ ? latestForm_ : nullptr; }

TForm* TMyEventsmanager::OpenForm(TForm*& form, TLifeCheck& alive,
                                  const std::function<TForm*(TMyEventsmanager&)>& factory) {
  // A window that Windows destroyed on its own is forgotten like a closed one.
  if (!alive) form = nullptr;
  if (!form) {
    if (!factory) return nullptr;
    form = factory(*this);
    alive = form ? form->Watch() : TLifeCheck();
  }
  if (!form) return nullptr;
  TForm* shown = form;
  TLifeCheck shownAlive = alive;
  const bool wasShown = shown->Visible();
  shown->Show();
  // Showing runs the window's own show handler, which may close it again. One that was open
  // already shows the events as they stand now, as a new one would.
  if (shownAlive && wasShown && shown->OnShow) shown->OnShow(shown);
  return shownAlive ? shown : nullptr;
}

void TMyEventsmanager::CloseForm(TForm*& form, TLifeCheck& alive, bool query) {
  TForm* f = alive ? form : nullptr;
  form = nullptr;
  TLifeCheck watch = alive;
  alive = TLifeCheck();
  if (!f) return;
  if (query && f->OnCloseQuery) {
    bool canClose = true;
    f->OnCloseQuery(f, canClose);
  }
  if (watch) f->Release();
}

void TMyEventsmanager::ShowManager() { OpenForm(managerForm_, managerAlive_, EventsWindows.NewManagerForm); }

void TMyEventsmanager::CloseManager() { CloseForm(managerForm_, managerAlive_, false); }

void TMyEventsmanager::ShowLatest(bool force) {
  // Sorted from the current day whenever they are shown: the program may run for days.
  Today.Clear();
  Tomorrow.Clear();
  if (!Classify(true) && !force) return;
  ShowLatestForm();
}

void TMyEventsmanager::ShowLatestForm() { OpenForm(latestForm_, latestAlive_, EventsWindows.NewLatestForm); }

void TMyEventsmanager::CloseLatest() { CloseForm(latestForm_, latestAlive_, false); }
