// Measures the notes manager window with many notes: opening it (built, shown and painted),
// sorting it again by each kind of column, and how often a title change rebuilds its list.
//
//   vxq_managerbench <notes>
//
// Prints one line of milliseconds per step, and the number of list rebuilds a title change
// caused through each road it can take.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchClock.h"
#include "BenchNotes.h"
#include "notes/NoteManagerUnit.h"
#include "notewindows/frmNotesManagerForm.h"
#include "shell/VantaroEngineUnit.h"
#include "ui/Application.h"
#include "ui/Paths.h"

namespace {

// Until every window of the form has painted what it holds now.
void Paint(TNotesManagerForm* form) {
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Drain();
}

// A rebuild makes new rows: the row object that stood for the note is gone.
int Rebuilds(TNotesManagerForm* form, TGridNode*& row) {
  const bool gone = form->NoteViewer->RowOf(row) < 0;
  if (gone) row = form->NoteViewer->Roots()[0];
  return gone ? 1 : 0;
}
}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 1000;
  TApplication app;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  SetExeFolderOverride(std::wstring(tmp) + L"vxq-managerbench\\");
  SetDefaultSettings();
  NoteAnimations = false;
  InitUserFolder();
  WriteBenchNotes(n, 0);
  Loading = false;
  UIEnabled = true;
  VantaroEngine = new TVantaroEngine;
  VantaroEngine->NotesManager = new TNotesManager;
  int i = 0;
  for (TNoteWrapper* w : VantaroEngine->NotesManager->Notes->List) {
    w->Note->Title = L"Note " + std::to_wstring((i * 7919) % n);
    w->Note->Group = L"Group " + std::to_wstring(i % 7);
    w->Note->AlarmOn = i % 3 != 0;
    w->Note->AlarmAt = 47000 + (i * 31) % 500;
    ++i;
  }
  Drain();

  double t0 = Ms();
  VantaroEngine->ShowNotesManager();
  TNotesManagerForm* form = NotesManagerForm;
  Paint(form);
  const double openMs = Ms() - t0;

  auto sortMs = [&](int column, TSortDirection direction) {
    double s0 = Ms();
    form->NoteViewer->SetSort(column, direction);
    Paint(form);
    return Ms() - s0;
  };
  const double byGroup = sortMs(1, TSortDirection::sdAscending);
  const double byAlarm = sortMs(2, TSortDirection::sdDescending);
  const double byTitle = sortMs(0, TSortDirection::sdAscending);

  // A title changed by the wrapper (the note window's own title editing) and in place.
  TGridNode* first = form->NoteViewer->Roots()[0];
  TNoteWrapper* w = static_cast<TNoteWrapper*>(first->Data);
  w->SetTitle(L"Renamed by the note");
  Drain();
  const int byWrapper = Rebuilds(form, first);
  double e0 = Ms();
  form->NoteViewer->SetFocusedNode(first);
  form->NoteViewer->EditNode(first, 0);
  SetWindowTextW(form->NoteViewer->EditorHandle(), L"Renamed in place");
  form->NoteViewer->EndEditNode();
  Paint(form);
  const double renameMs = Ms() - e0;
  const int inPlace = Rebuilds(form, first);

  // A note's shown fields changed elsewhere (its text saved, rolled up): its row alone is painted.
  double f0 = Ms();
  w->FieldsChanged();
  Paint(form);
  const double fieldsMs = Ms() - f0;
  const int byFields = Rebuilds(form, first);

  std::printf("notes=%5d open_ms=%7.1f sort_group_ms=%6.1f sort_alarm_ms=%6.1f sort_title_ms=%6.1f rename_ms=%6.1f "
              "row_update_ms=%6.2f rebuilds_title_by_note=%d rebuilds_title_in_place=%d rebuilds_fields=%d\n",
              n, openMs, byGroup, byAlarm, byTitle, renameMs, fieldsMs, byWrapper, inPlace, byFields);

  Closing = true;
  TVantaroEngine* engine = VantaroEngine;
  VantaroEngine = nullptr;
  delete engine;
  Drain();
  SetExeFolderOverride(L"");
  return 0;
}
