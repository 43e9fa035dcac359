#pragma once
// The window of one open note: caption-less, with a painted title bar, a rich-text body,
// coloured borders and a sizing corner. Everything it shows comes from its wrapper's record.
#include <string>

#include "notewindows/TrekComponents.h"
#include "ui/ActnList.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/RichEdit.h"

class TNoteWrapper;

class TNoteForm : public TForm {
 public:
  explicit TNoteForm(TComponent* owner);
  ~TNoteForm() override;

  TPaintBox* TitleOwnerDraw;
  TSpeedButton* NoteMenuButton;
  TSpeedButton* CloseButton;
  TSpeedButton* LinkButton;
  TTrekRect* BottomBorder;
  TTrekRect* RightBorder;
  TTrekRect* LeftBorder;
  TTrekRect* Sizer;
  TRichEdit* NoteEdit;
  TPopupMenu* NoteMenu;
  TPopupMenu* EditMenu;
  TPopupMenu* CloseForMenu;
  TActionList* ActionList;
  TTimer* UpdateTimer;
  TTimer* Allarme;
  TImageList* MenuIcons;

  TAction* ReduceToggle;
  TAction* ONTop;
  TAction* CloseNoteAction;  // named "CloseNote"
  TAction* Undo;
  TAction* Cut;
  TAction* Copy;
  TAction* Paste;
  TAction* Delete;
  TAction* SelectAll;
  TAction* Font;
  TAction* Pain;
  TAction* Bold;
  TAction* Italic;
  TAction* Underline;
  TAction* Strikeout;
  TAction* ReadOnlyToggle;
  TMenuItem* StyleSub;

  TNoteWrapper* Wrapper = nullptr;
  bool FormClosing = false;
  std::wstring MinutesText, HourText, HoursText, CloseForText, CreatedOnText;

  // The note's stored bounds, made usable: never below the minimum size, and moved into the
  // nearest monitor's work area when they lie wholly outside every monitor.
  void SetNoteBounds(int left, int top, int width, int height);
  void ApplyColor(TColor color);
  void ApplyStayOnTop(TComponent* form);
  void ApplyReduced();
  bool IsReduced() const;
  void CloseNote();
  void RestartUpdateTimer();
  void ApplyReadOnly();
  bool IsReadOnly() const;
  void Translate();

  // Event handlers.
  void FormCreate(TComponent* sender);
  void FormShow(TComponent* sender);
  void FormResize(TComponent* sender);
  void FormCloseQuery(TComponent* sender, bool& canClose);
  void FormClose(TComponent* sender, TCloseAction& action);
  void FormActivate(TComponent* sender);
  void FormDeactivate(TComponent* sender);
  void TitleOwnerDrawPaint(TComponent* sender, TCanvas& canvas);
  void UpdateTimerTimer(TComponent* sender);
  void EditMenuPopup(TComponent* sender);
  void CutUpdate(TComponent* sender);
  void NoteEditURLClick(TComponent* sender, const std::wstring& url, TMouseButton button);
  void LinkButtonClick(TComponent* sender);
  void FilesDropped(const std::vector<std::wstring>& files);

  // Steps of the close animation (alpha values or widths), for tests to read.
  std::vector<int> AnimationSteps;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void StartMoveOrSize(int hitTest, TMouseButton button);
  void FollowButtonDrag();
  void EndButtonDrag();
  // A move or size by a button other than the left one: the hit-test code, the button's
  // mouse-message flag, and where the pointer and the window were when it went down.
  struct ButtonDrag {
    int hitTest = 0;
    WPARAM button = 0;
    POINT start{};
    RECT bounds{};
  };
  ButtonDrag drag_;
  void ToggleStyle(TFontStyles style);
  void BuildMenus();
  bool closeNoteRunning_ = false;
};
