#pragma once
// The latest-events window: a small caption-less window dressed like a note that lists today's
// and tomorrow's events, each with the years since its date. It shows the lists the events
// manager built at start-up and never sorts events into them itself.
#include <memory>
#include <string>
#include <vector>

#include "ui/ActnList.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/TreeGrid.h"

class TFormSaver;
class TMYEvent;
class TMyEventsList;
class TMyEventsmanager;
class TTrekRect;

// Kind of a line of the tree.
inline constexpr int ekNoEvents = 0, ekSection = 1, ekEvent = 2;

// One line of the tree, copied when the tree is filled.
struct TEventNodeData {
  std::wstring Text;
  int Kind = ekNoEvents;
  int Years = 0;
  TMYEvent* Event = nullptr;
};

class TLatestEvents : public TForm {
 public:
  TLatestEvents(TComponent* owner, TMyEventsmanager& events);
  ~TLatestEvents() override;

  TTrekRect* BottomBorder;
  TTrekRect* RightBorder;
  TTrekRect* LeftBorder;
  TTrekRect* Sizer;
  TPaintBox* TitleOwnerDraw;
  TSpeedButton* NoteMenuButton;
  TSpeedButton* CloseButton;
  TTreeGrid* EventsTree;
  TPopupMenu* PopupMenu;
  TActionList* ActionList;
  TAction* _close;
  TMenuItem* close1;

  void Translate();
  void FillTree();
  // The line a row of the tree stands for.
  const TEventNodeData* NodeData(const TGridNode* node) const;
  // Whether the right edge is following the pointer after a click on RightBorder.
  bool SizingRight() const { return sizingRight_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  bool Gone() const;
  void AddEventSection(const TMyEventsList* list, const std::wstring& caption);
  void AddEventNode(TGridNode* node, TMYEvent* event);
  void FormCreate(TComponent* sender);
  void FormShow(TComponent* sender);
  void FormResize(TComponent* sender);
  void FormCloseQuery(TComponent* sender, bool& canClose);
  void FormClose(TComponent* sender, TCloseAction& action);
  void TitleOwnerDrawPaint(TComponent* sender, TCanvas& canvas);
  std::wstring EventsTreeGetText(TGridNode* node, int column);
  // Moves or sizes the window with the mouse, as the system does for a caption or an edge.
  void StartMoveOrSize(int hitTest, TMouseButton button);
  void EndSizingRight(bool keep);

  TMyEventsmanager* events_;
  TLifeCheck eventsAlive_;
  std::unique_ptr<TFormSaver> FormSaver;
  std::wstring TodayText = L"Today", TomorrowText = L"Tomorrow", IncomingText = L"Incoming";
  std::wstring CaptionText = L"MY Events", NoEventsText = L"No incoming events";
  std::vector<std::unique_ptr<TEventNodeData>> nodes_;
  TTreeGridEvents eventsTreeSource_;
  bool sizingRight_ = false;
  RECT sizingStart_{};
  int grab_ = 0;
};

// The placement's registry key.
inline constexpr wchar_t kLatestEventsWinKey[] = L"\\SOFTWARE\\Belvanto\\VxVantaro\\LatestEventsManagerWin";
