#include <gtest/gtest.h>

#include "TestSupport.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notewindows/NoteFormUnit.h"

TEST(NoteWindowSmoke, ShowsNotes) {
  TApplication app;
  testsupport::TempFolder dir(L"smoke");
  SetExeFolderOverride(dir.Path());
  SetDefaultSettings();
  InitUserFolder();
  {
    TNotesManager m;
    m.NewNote();
    m.NewNote();
    TNoteWrapper* w = m.Notes->Items(1);
    w->Note->Left = 300;
    w->Note->Title = L"Second note";
    w->Note->NoteColor = 0xC0FFC0;
    w->Note->LinkedFile = L"c:\\windows\\win.ini";
    w->RefreshForm();
    w->Form->NoteEdit->SetText(L"Hello world\r\nhttp://example.com");
    testsupport::Pump(300);
    testsupport::SaveScreenShot(L"smoke", RECT{0, 0, 800, 600});
    m.CloseAll();
  }
  SetExeFolderOverride(L"");
}
