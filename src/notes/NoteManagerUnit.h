#pragma once
// Every note of the current user, one wrapper each, in load order.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "notes/NoteWrapper.h"
#include "ui/Component.h"

class TNoteList {
 public:
  int Count() const { return static_cast<int>(List.size()); }
  // Throws std::out_of_range for an index outside the list.
  TNoteWrapper* Items(int index) const;
  void Add(TNoteWrapper* wrapper) { List.push_back(wrapper); }
  void Remove(TNoteWrapper* wrapper);
  std::vector<TNoteWrapper*> List;  // not owned by the list
};

class TNotesManager : public TNoteOWN {
 public:
  // Loads every note file of the user's folder and opens every note that is not hidden.
  TNotesManager();
  ~TNotesManager() override;
  TNotesManager(const TNotesManager&) = delete;
  TNotesManager& operator=(const TNotesManager&) = delete;

  TNoteList* Notes;

  void CheckTimers();
  void ApplyStayOnTop();
  void SaveAll();
  void RefreshAll();
  // Saves every note that may hold changes; names those that cannot be saved, one a line with
  // the system's reason (empty when every save worked).
  std::wstring SaveChanged();
  // Before an exit the user asked for: saves every note that may hold changes; while some
  // cannot be saved, names them and offers Retry or Cancel. Returns whether the exit may go on:
  // not after Cancel, nor when a shut-down ran during the box (it has done the work).
  bool SaveBeforeExit();
  // Saves and closes every note; one note's error does not keep the others open or unsaved.
  void CloseAll();
  // Adds the distinct non-blank groups, in the order of their first note, to list (which is
  // searched without regard to case and not cleared).
  void GetGroups(std::vector<std::wstring>& list) const;
  void ShowGroup(const std::wstring& group, bool show);
  void NewNote();
  bool DeleteNote(TNoteWrapper* wrapper, bool freeForm);
  void RefreshView();
  // Told when one note's fields that a view of the notes shows (title, group, text, marks,
  // moments) have changed while the note stays in the list: the view updates that note alone.
  // Set by the view that listens (the notes manager window), empty when none does.
  std::function<void(TNoteWrapper*)> OnNoteChanged;

 private:
  // Deleted notes leave the list but stay valid for their window until the manager goes.
  std::vector<TNoteWrapper*> deleted_;
  // Seen by code that ran the message loop (the delete question) before it goes on.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
