#pragma once
// The reminder events: yearly events (a birthday, an anniversary) kept in the INI file
// "myevents.evt" of the user's folder, the rule that places each one in this year, and the
// lists of today's and tomorrow's events that the program announces at start-up.
//
// No window lives here. The events windows register themselves in EventsWindows, and the
// manager opens them through it; without them (tests of the document) it opens nothing.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Component.h"
#include "ui/Types.h"

class TForm;
class TMyEventsmanager;

class TMYEvent {
 public:
  // Empty text and today's date at 00:00.
  TMYEvent();
  ~TMYEvent();
  TMYEvent(const TMYEvent&) = delete;
  TMYEvent& operator=(const TMYEvent&) = delete;

  TDateTime Date;
  std::wstring Text;
  // A date the file held that could not be read: its text is written back unchanged, so that
  // another date order or a hand-made file costs nothing, until the user edits the event.
  // Date then holds the moment of loading.
  bool DateUnread = false;
  std::wstring DateText;
  // Confirmed by the user and not yet in the file; and whether the file holds the event at all.
  bool Unsaved = false;
  bool OnDisk = false;

  // The day of this year (or of next year, for an event dated later than today) on which the
  // event is announced.
  TDateTime AnniversaryDate() const;
  // The same, seen on the day today.
  TDateTime AnniversaryDate(TDateTime today) const;
  // This year minus the event's year.
  int YearsSince() const;
  // Runs the event edit dialog on the event; true when the user confirmed it. When the event
  // is freed while the dialog runs (a session end), nothing is touched and the answer is false.
  bool Edit();
  // What the events manager window shows and the file holds as the date.
  std::wstring DateDisplay() const;

  TLifeCheck Watch();

 private:
  std::shared_ptr<bool> alive_;  // made on the first Watch
};

// A list of events that does not own them.
class TMyEventsList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TMYEvent* GetItem(int index) const { return items_.at(static_cast<size_t>(index)); }
  void Add(TMYEvent* event) { items_.push_back(event); }
  int IndexOf(const TMYEvent* event) const;
  void Delete(int index);
  // Removes every reference to event.
  void Remove(const TMYEvent* event);
  void Clear() { items_.clear(); }
  // Puts the events of other before those of this list, in their order.
  void InsertFront(const TMyEventsList& other);
  const std::vector<TMYEvent*>& Items() const { return items_; }

 private:
  std::vector<TMYEvent*> items_;
};

// What the events windows give the document, set by the window side when it starts.
struct TEventsWindows {
  // The events manager window and the latest-events window, not yet shown.
  std::function<TForm*(TMyEventsmanager& manager)> NewManagerForm;
  std::function<TForm*(TMyEventsmanager& manager)> NewLatestForm;
  // The event edit dialog, modal, on copies of an event's fields: true when confirmed (they
  // then hold what the user entered).
  std::function<bool(std::wstring& text, TDateTime& date)> EditEvent;
  // The events list changed under an open events manager window (the file came in late).
  std::function<void(TMyEventsmanager& manager)> EventsChanged;
};
extern TEventsWindows EventsWindows;

// The short date of the user's locale for any calendar day, the null date (30 December 1899)
// included, with the year in four digits; empty for a moment no calendar date stands for.
std::wstring EventDateToStr(TDateTime date);

// The name of the events file in the user's folder.
inline constexpr wchar_t kEventsFileName[] = L"myevents.evt";

class TMyEventsmanager {
 public:
  // FileName in NotesFolder, four empty lists.
  TMyEventsmanager();
  // Closes the two windows (their placements stored first) and frees the events. The events
  // are not written here: the engine saves them first.
  ~TMyEventsmanager();
  TMyEventsmanager(const TMyEventsmanager&) = delete;
  TMyEventsmanager& operator=(const TMyEventsmanager&) = delete;

  std::wstring FileName;
  TForm* ManagerForm() const;
  TForm* LatestForm() const;
  TMyEventsList Events;  // owns its events, in file order
  TMyEventsList Today;
  TMyEventsList Tomorrow;
  TMyEventsList Incoming;

  // Reads the events file and appends its events. A file that is not an events file is set
  // aside under another name, and a file that cannot be read is never written over; either is
  // told to the user once. One that cannot be read is read again by Tick (once a second, for
  // ten minutes): its events then go before those entered meanwhile, and all is saved.
  void LoadEvents();
  // Writes the events file beside the old one and then puts it in its place; a failure leaves
  // the old file whole and is told (into the error log during the shut-down, with every change
  // that is lost). Returns whether the file now holds the events.
  bool SaveEvents();
  // The one-second tick: the file held at start-up is read again, and changes that could not
  // be written are tried again.
  void Tick();
  // Whether the file is still read again by the tick.
  bool LoadPending() const { return loadTriesLeft_ > 0; }
  // Whether the user confirmed changes that the file does not hold yet.
  bool Unsaved() const;
  // Before the program ends: writes those changes (reading the file first when it is still
  // unread), asking nothing. Empty when all is on disk, otherwise why not, naming the file.
  std::wstring SavePending();
  // Fills Today and Tomorrow from the current day when rebuild is set (without emptying them);
  // whether Today, Tomorrow or Incoming holds an event.
  bool Classify(bool rebuild);
  // Asks for a new event; a confirmed one is appended and saved. Returns whether it was.
  bool AddEvent();
  // Runs the edit dialog on the event at index; a confirmed edit is saved.
  bool EditEvent(int index);
  // Removes the event at index from every list and frees it.
  void DeleteEvent(int index);
  // DeleteEvent, then the file is saved.
  void DeleteEventAndSave(int index);

  // The events manager window: opened or brought to the front.
  void ShowManager();
  // Releases the events manager window and forgets it.
  void CloseManager();
  // The latest-events window, on today's and tomorrow's events sorted anew from the current
  // day; unless forced only when there is something to announce.
  void ShowLatest(bool force);
  void ShowLatestForm();
  void CloseLatest();

  // Whether the last load found the file unusable (not an events file, or unreadable), and
  // what the user was told about it.
  const std::wstring& LoadProblem() const { return loadProblem_; }
  TLifeCheck Watch() const { return TLifeCheck(alive_); }

 private:
  enum class TRead { Done, Aside, Held };
  void Report(const std::wstring& text);
  // Reads the file into read (which the caller then owns); loadProblem_ says what went wrong.
  TRead ReadFile(TMyEventsList& read);
  // One more read of the file held so far; its events go before those entered meanwhile.
  TRead ReadAgain();
  void RetryLoad();
  // Writes the file; on failure lastFailure_ says why.
  bool WriteEventsFile();
  // The changes the file does not hold, one a line, for the error log.
  std::wstring LostChanges() const;
  TForm* OpenForm(TForm*& form, TLifeCheck& alive,
                  const std::function<TForm*(TMyEventsmanager&)>& factory);
  static void CloseForm(TForm*& form, TLifeCheck& alive, bool query);

  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  TForm* managerForm_ = nullptr;
  TLifeCheck managerAlive_;
  TForm* latestForm_ = nullptr;
  TLifeCheck latestAlive_;
  bool keepFile_ = false;  // the file could not be read: writing would lose what it holds
  bool failureTold_ = false;
  int loadTriesLeft_ = 0;
  std::wstring loadProblem_;
  std::wstring lastFailure_;
  // Events the user deleted that the file still holds, as the error log would name them.
  std::vector<std::wstring> unsavedDeletes_;
};
