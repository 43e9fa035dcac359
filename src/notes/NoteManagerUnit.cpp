#include "notes/NoteManagerUnit.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "notes/InternalProcs.h"
#include "notewindows/NoteConfUnit.h"
#include "notewindows/NoteFormUnit.h"
#include "shell/VantaroEngineUnit.h"
#include "ui/MessageBox.h"

TNoteWrapper* TNoteList::Items(int index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return List[index];
}

void TNoteList::Remove(TNoteWrapper* wrapper) {
  auto it = std::find(List.begin(), List.end(), wrapper);
  if (it != List.end()) List.erase(it);
}

TNotesManager::TNotesManager() : Notes(new TNoteList) {
  std::set<std::wstring> loaded;  // upper case: the file system ignores case
  TQuietOpening quiet;
  // Leftovers of saves that a crash cut short are never loaded as notes.
  for (const std::wstring& name : ListNoteFiles(NotesFolder)) {
    const std::string id = WideToAnsi(name.substr(0, name.size() - 4));
    const std::wstring fileName = NotesFolder + name;
    // A note is known by an 8-bit identifier. A name that does not come back from it
    // unchanged (letters outside the code page, a best-fit letter, blanks the file name rule
    // trims) would open another note's file or a new one: such a file is listed as a note
    // that cannot be loaded, and never written.
    const bool readable = loaded.insert(UpperCase(fileName)).second && NoteFileName(id) == fileName;
    // One note that fails must not end the loading of the others.
    try {
      TNoteWrapper* w = readable ? TNoteWrapper::LoadListed(id, this) : new TNoteWrapper(id, fileName, this);
      // Null: the file went between the listing and the reading (a sync tool, a restore).
      if (w) Notes->Add(w);
    } catch (const std::exception&) {
    }
  }
}

TNotesManager::~TNotesManager() {
  *alive_ = false;
  while (Notes->Count() > 0) {
    TNoteWrapper* w = Notes->Items(0);
    Notes->Remove(w);
    delete w;
  }
  delete Notes;
  for (TNoteWrapper* w : deleted_) delete w;
}

void TNotesManager::CheckTimers() {
  // A note's message box runs the loop: a shut-down (the session end, a close request) may
  // free every note, and this manager, before the next step.
  TLifeCheck alive(alive_);
  int count = Notes->Count();
  for (int i = 0; i < count && alive; ++i) {
    try {
      TNoteWrapper* w = Notes->Items(i);
      // A note file that another program held is read again every second for a while.
      if (w->LoadPending()) w->RetryLoad();
      // A save that failed is tried again every second until it succeeds.
      if (alive && w->SaveFailed) w->Save();
      if (alive) w->CheckAlarm();
      if (alive && !w->IsOpen()) w->CheckAutoShow();
    } catch (...) {
      // One note's failure does not keep the others from their checks.
    }
  }
}

void TNotesManager::ApplyStayOnTop() {
  for (TNoteWrapper* w : Notes->List)
    if (w->Form && w->Note->GetAlwaysOnTop()) w->Form->ApplyStayOnTop(w->Form);
}

void TNotesManager::SaveAll() {
  for (size_t i = 0; i < Notes->List.size(); ++i) Notes->List[i]->Save();
}

void TNotesManager::RefreshAll() {
  for (size_t i = 0; i < Notes->List.size(); ++i) Notes->List[i]->RefreshForm();
}

std::wstring TNotesManager::SaveChanged() {
  std::wstring failed;
  for (TNoteWrapper* w : Notes->List) {
    // A closed note was saved when it closed; only open ones and failed ones can hold
    // changes, and closed ones whose file went or changed meanwhile must be written again
    // (the shut-down saves everything once more anyway).
    if (!w->IsOpen() && !w->SaveFailed && w->FileUnchanged()) continue;
    DWORD error = ERROR_SUCCESS;
    if (!w->TrySave(error)) failed += L"\n\r\"" + w->Note->Title + L"\": " + SystemErrorText(error);
  }
  return failed;
}

bool TNotesManager::SaveBeforeExit() {
  TLifeCheck alive(alive_);
  for (;;) {
    const std::wstring failed = SaveChanged();
    if (failed.empty()) return true;
    // The one-second tick keeps trying: once every note is saved (or a shut-down has done the
    // work) the question no longer holds, and goes as if Retry had been pressed.
    auto answered = [this, alive] {
      return !alive || std::none_of(Notes->List.begin(), Notes->List.end(), [](TNoteWrapper* w) { return w->SaveFailed; });
    };
    if (ShowWithdrawableMessageBox(
            L"These notes cannot be saved:" + failed + L"\n\rTheir changes are lost if the program ends now.", L"Error",
            MB_RETRYCANCEL | MB_ICONERROR, answered, IDRETRY) != IDRETRY)
      return false;
    // The box ran the message loop: a session end or a close request may have saved and
    // freed every note, and this manager with them. Nothing is left to try, nor to exit.
    if (!alive) return false;
  }
}

void TNotesManager::CloseAll() {
  try {
    SaveAll();
  } catch (...) {
    // Each close below saves its note once more.
  }
  for (size_t i = 0; i < Notes->List.size(); ++i) {
    try {
      Notes->List[i]->CloseForm(true);
    } catch (...) {
      // One window that fails to close does not keep the others open.
    }
  }
}

void TNotesManager::GetGroups(std::vector<std::wstring>& list) const {
  for (TNoteWrapper* w : Notes->List) {
    const std::wstring& g = w->Note->Group;
    if (Trim(g).empty()) continue;
    if (std::none_of(list.begin(), list.end(), [&](const std::wstring& s) { return SameText(s, g); }))
      list.push_back(g);
  }
}

void TNotesManager::ShowGroup(const std::wstring& group, bool show) {
  for (size_t i = 0; i < Notes->List.size(); ++i) {
    TNoteWrapper* w = Notes->List[i];
    // The same rule as the list of groups: one group there is one group here.
    if (!SameText(w->Note->Group, group)) continue;
    if (show)
      w->ShowNote();
    else
      w->CloseForm(true);
  }
  RefreshView();
}

void TNotesManager::NewNote() {
  TUIDisabled held;
  auto* w = new TNoteWrapper("", this);
  Notes->Add(w);
  w->ShowNote();
  // Opened as it was made: the list has one note more.
  RefreshView();
}

bool TNotesManager::DeleteNote(TNoteWrapper* wrapper, bool freeForm) {
  if (!wrapper) return false;
  std::wstring text = L"Are you sure that you want to delete this note?\n\rNote title: " +
                      wrapper->Note->Title;
  const std::wstring fileName = wrapper->FileName;
  TLifeCheck alive(alive_);
  if (ShowMessageBox(text, L"Vantaro", MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  // The question ran the message loop: a shut-down (the close request, the session end) may
  // have saved and freed every note and this manager with them, or the note may have been
  // deleted some other way meanwhile.
  if (!alive) {
    // The user said Yes: the file the shut-down has just written goes all the same.
    DeleteFileW(fileName.c_str());
    return true;
  }
  if (std::find(Notes->List.begin(), Notes->List.end(), wrapper) == Notes->List.end()) return false;
  // A properties dialog open for the note ends as cancelled: saving after it would bring the
  // deleted file back.
  NotePropertiesWrapperGoing(wrapper);
  // Out of the list first: whatever the closing runs, the note is freed once, with the manager.
  Notes->Remove(wrapper);
  deleted_.push_back(wrapper);
  if (wrapper->IsOpen()) wrapper->CloseForm(freeForm);
  DeleteFileW(fileName.c_str());
  // Its window may still save it as it goes (a close, a timer): the file stays deleted.
  wrapper->MarkDeleted();
  if (alive) RefreshView();
  return true;
}

void TNotesManager::RefreshView() {
  if (VantaroEngine) VantaroEngine->RefreshNotesManager();
}
