#pragma once
// The events manager window: every reminder event with its date, one row per event in the
// order of the event list, and the commands to add, edit and delete events. It keeps no copy
// of the events: each row reads its event by index when it is painted.
#include <memory>

#include "ui/ActnList.h"
#include "ui/Forms.h"
#include "ui/Glyphs.h"
#include "ui/MainMenu.h"
#include "ui/Menus.h"
#include "ui/StatusBar.h"
#include "ui/TreeGrid.h"

class TFormSaver;
class TMyEventsmanager;

class TEventsManager : public TForm {
 public:
  TEventsManager(TComponent* owner, TMyEventsmanager& events);
  ~TEventsManager() override;

  TStatusBar* StatusBar1;
  TActionList* ActionList;
  TMainMenu* MainMenu;
  TTreeGrid* EventsList;
  TAction* _NewEvent;
  TAction* _DeleteEvent;
  TAction* _Close;
  TMenuItem* _EventsMenu;
  TMenuItem* Close1;
  std::unique_ptr<TImageList> ImageList;
  TMenuItem* NewEvent1;
  TMenuItem* DeleteEvent1;
  TMenuItem* N1;
  TAction* _EditEvent;
  TMenuItem* EditEvent1;
  TPopupMenu* PopupMenu;
  TMenuItem* EditEvent2;
  TMenuItem* DeleteEvent2;

  // The index of the focused row's event; -1 for none.
  int FocusedIndex() const;
  void RefreshList();
  void Translate();

 private:
  // The window was closed or the events went with the shut-down: nothing may be touched.
  bool Gone() const;
  void FormCreate(TComponent* sender);
  void FormShow(TComponent* sender);
  void FormCloseQuery(TComponent* sender, bool& canClose);
  void FormClose(TComponent* sender, TCloseAction& action);
  std::wstring EventsListGetText(TGridNode* node, int column);
  void _NewEventExecute();
  void _EditEventExecute();
  void _DeleteEventExecute();

  TMyEventsmanager* events_;
  TLifeCheck eventsAlive_;
  TTreeGridEvents eventsListSource_;
  std::unique_ptr<TFormSaver> FormSaver;
};

// The placement's registry key.
inline constexpr wchar_t kEventsManagerWinKey[] = L"\\SOFTWARE\\Belvanto\\VxVantaro\\MYEventsManagerWin";
