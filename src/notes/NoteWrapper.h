#pragma once
// One note together with its window while one is open: load, open, show, hide, close, save,
// the alarm and auto-show checks and a cached plain-text preview.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "notes/ClassesUnit.h"
#include "ui/Component.h"

class TNoteForm;

// What a wrapper knows of its owner, the notes manager.
class TNoteOWN {
 public:
  virtual ~TNoteOWN() = default;
};

class TNoteWrapper {
 public:
  TNoteWrapper(const std::string& id, TNoteOWN* owner);
  // A note file that cannot be loaded under any identifier: listed like a corrupted note,
  // never read, never written.
  TNoteWrapper(const std::string& id, const std::wstring& fileName, TNoteOWN* owner);
  // A note file that the listing of the user's folder found: loaded as by the first constructor,
  // but a file gone by the time it is read (a sync tool or a restore took the folder away
  // meanwhile) gives no note at all, null, as if it had not been listed.
  static TNoteWrapper* LoadListed(const std::string& id, TNoteOWN* owner);
  virtual ~TNoteWrapper();
  TNoteWrapper(const TNoteWrapper&) = delete;
  TNoteWrapper& operator=(const TNoteWrapper&) = delete;

  TNoteOWN* Owner;
  std::string ID;
  std::wstring FileName;
  bool Corrupted = false;
  std::wstring Preview;
  bool PreviewDirty = true;
  TNoteForm* Form = nullptr;  // not owned: the application owns note windows
  TNoteClass* Note = nullptr;

  // A note file that cannot be read (another program holds it) is named to the user with the
  // reason, listed as corrupted and never written; RetryLoad reads it again.
  bool Load(const std::string& id);
  // Whether the note's file could not be read yet and is still being tried.
  bool LoadPending() const { return loadTriesLeft_ > 0; }
  // One more try at reading a note file that could not be read: loaded and opened as at start-up
  // once it can be; after ten minutes of tries (one a second, from the notes manager's check)
  // the user is told that it is no longer tried.
  void RetryLoad();
  bool OpenForm();
  void ShowNote();
  void HideNote(bool freeForm);
  void CloseForm(bool freeForm);
  // Fills the open window again from the record; the caret, the selection and the scroll
  // position stay where they were.
  void RefreshForm();
  // The note's fields changed, its place in the list did not: the notes manager's listener is
  // told of this note alone.
  void FieldsChanged();
  bool IsOpen() const { return Form != nullptr; }
  // Copies the window's text (when it was edited since the last copy) and its bounds into the
  // record. Returns whether the record changed.
  bool UpdateFromForm();
  // Saves the note when it differs from what its file holds (a note that did not change is
  // never written); returns whether its file now holds it. A failure keeps the changes in the
  // record, is tried again by the timers, and is told once (with the note's title and the
  // system's reason) until a save of the note succeeds again; while the program shuts down
  // it is only logged, as nobody may be there to answer.
  bool Save();
  // The same without telling anybody; error receives the system's reason.
  bool TrySave(DWORD& error);
  bool SaveFailed = false;
  // Whether the note file still looks as this program last read or wrote it (a restore, a sync
  // or the user may have removed or replaced it meanwhile). One look at its attributes, no read.
  bool FileUnchanged() const;
  // The user deleted the note: nothing brings its file back.
  void MarkDeleted() { deleted_ = true; }
  void CheckAlarm();
  void CheckAutoShow();
  void HideUntil(TDateTime when);
  void HideForMinutes(unsigned minutes);
  // The note was shown, hidden or otherwise changed its place in the list: the list is redone.
  void Changed();
  void GetTitle(std::wstring& s) const;
  void SetTitle(const std::wstring& s);
  void InvalidatePreview();
  void GetPreview(std::wstring& s);
  std::wstring GetPreview();

  // Called by the note window when it goes away, so that no pointer to it is kept.
  void FormDestroyed(TNoteForm* form);

 private:
  explicit TNoteWrapper(TNoteOWN* owner) : Owner(owner) {}
  void MarkCorrupted();
  // Reads the note (or makes a new one) and opens it unless hidden; returns why the file could
  // not be read, or 0 (a note file whose content is no note is told by the loader).
  DWORD ReadNoteFile(const std::string& id);
  bool listed_ = false;  // found by the listing: a file gone meanwhile makes no new note
  bool gone_ = false;    // found by the listing, and gone when read
  int loadTriesLeft_ = 0;
  bool failureTold_ = false;
  // The bytes the note file holds, as this program last read or wrote them (a save writes only
  // when its bytes differ: a note in an old layout is written once in the current one); empty
  // for a note that has no file yet.
  std::vector<std::uint8_t> stored_;
  // Size and last-write time of the note file as stored_ was read or written, so that a save
  // can tell cheaply whether the file still holds it; empty when unknown.
  struct TFileStamp {
    std::uint64_t Size = 0;
    std::uint64_t Written = 0;
    bool operator==(const TFileStamp&) const = default;
  };
  static std::optional<TFileStamp> StampOf(const std::wstring& fileName);
  std::optional<TFileStamp> stamp_;
  bool deleted_ = false;
  // Seen by code that ran the message loop (closing the window) before it goes on: a shut-down
  // meanwhile frees every note.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Makes the application's last active pop-up the foreground window.
void BringApplicationToFront();

// While one exists, the notes that open come up on top one after another without each being
// activated in turn: every activation moves the keyboard focus into that note's text and out
// of the previous one's (a caret made and unmade, a dozen round trips to the Wine server).
// When the last one ends, the last note opened meanwhile is activated, which is where those
// activations would have left it. The notes manager loads every note inside one.
class TQuietOpening {
 public:
  TQuietOpening();
  ~TQuietOpening();
  TQuietOpening(const TQuietOpening&) = delete;
  TQuietOpening& operator=(const TQuietOpening&) = delete;
};

// The preview rules applied to the plain text of a note.
std::wstring MakePreview(const std::wstring& plainText);
