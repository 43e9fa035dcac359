#pragma once
// The window of one open note: caption-less, with a painted title bar, a rich-text body,
// coloured borders and a sizing corner. Everything it shows comes from its wrapper's record.
#include <array>
#include <random>
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
  // The menus are made, and translated, when one first opens (EnsureMenus): a note that is
  // only read never pays for them. Null until then.
  TPopupMenu* NoteMenu = nullptr;
  TPopupMenu* EditMenu = nullptr;
  TPopupMenu* CloseForMenu = nullptr;
  TActionList* ActionList;
  TTimer* UpdateTimer;
  TTimer* Allarme;
  // The steps of the shaking (50 ms) and of the close animation.
  TTimer* ShakeTimer;
  TTimer* AnimationTimer;
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
  TAction* PrintNoteAction;   // named "PrintNote"
  TAction* CustomizeAction;   // named "Customize"
  TAction* DeleteNoteAction;  // named "DeleteNote"
  TMenuItem* StyleSub = nullptr;

  // The note menu's header with the creation moment, and its snooze submenu.
  TMenuItem* CreationDateMenu = nullptr;
  TMenuItem* CloseforSub = nullptr;
  TMenuItem *N5Minutes1 = nullptr, *N10Minutes1 = nullptr, *N15Minutes1 = nullptr, *N30Minutes1 = nullptr,
            *N45Minutes1 = nullptr, *N1Hour1 = nullptr, *N2Hours1 = nullptr, *illtomorrow1 = nullptr;
  // The close box's menu: its header, then the same snooze items.
  TMenuItem* CloseForLab1 = nullptr;
  TMenuItem *N5Minutes2 = nullptr, *N10Minutes2 = nullptr, *N15Minutes2 = nullptr, *N30Minutes2 = nullptr,
            *N45Minutes2 = nullptr, *N1Hour2 = nullptr, *N2Hours2 = nullptr, *illtomorrow2 = nullptr;

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
  // Makes the three menus and translates them, once; every way of opening one comes here first.
  void EnsureMenus();
  // Alarm: switches the ringing off; a sound already playing plays to its end.
  void StopAlarm();
  // One step of the shaking: four moves, then back in place.
  void Shake();
  // Puts a shaking window back in place at once.
  void EndShake();
  // The bounds the note keeps: where the window stands, less a shake under way.
  RECT NoteBounds() const;
  // Prints the note on one page; returns whether the whole job reached the printer. Any
  // failure is told in a message box and the job is abandoned.
  bool PrintNote();
  void Customize();
  void DeleteNote();

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
  void AllarmeTimer(TComponent* sender);
  void AnimationTimerTimer(TComponent* sender);
  // The snooze items: the tag is the minutes; "Till tomorrow" has none.
  void SnoozeClick(TComponent* sender);
  void TillTomorrowClick(TComponent* sender);
  void NoteMenuButtonClick(TComponent* sender);
  void CreationDateMenuMeasureItem(TMenuItem* item, int& width, int& height);
  void CreationDateMenuDrawItem(TMenuItem* item, TCanvas& canvas, const RECT& rect, bool selected);
  void CloseForLab1DrawItem(TMenuItem* item, TCanvas& canvas, const RECT& rect, bool selected);
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
  // The menus' own texts, in the note's language section (left set for the caller).
  void TranslateMenus();
  // Adds the eight snooze items to menu, named with suffix ("1" or "2").
  std::array<TMenuItem*, 8> AddSnoozeItems(TMenuItem* menu, const wchar_t* suffix);
  // The snooze items of the note menu (false) or of the close box's menu (true).
  std::array<TMenuItem*, 8> SnoozeItems(bool closeMenu) const;
  bool closeNoteRunning_ = false;
  // The shaking: moves still to come, and the offset from where the window rests.
  int shakeMovesLeft_ = 0;
  POINT shakeOffset_{0, 0};
  std::mt19937 shakeRandom_;
  void SetShakeOffset(POINT offset);
  // Inside the system's move or size loop: a shake would fight the pointer.
  bool sizeMove_ = false;
  // The close animation has ended: the close it then asks for goes through.
  bool animationEnded_ = false;
};

// Runs the main window's print dialog (setup: its printer-setup dialog) over owner. A dialog
// that cannot run is told, starting with subject ("The note cannot be printed"); a cancel is
// not. The main window may go while the dialog is up (a shut-down): the dialog runs as a copy,
// and the user's choice is kept in the main window's only while it is still there. Returns
// whether the user confirmed and owner is still there.
bool RunMainPrintDialog(TForm& owner, bool setup, const std::wstring& subject);
