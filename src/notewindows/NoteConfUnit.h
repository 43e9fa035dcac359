#pragma once
// The note-properties dialog: title, group, linked file, colours, auto-show and alarm moments.
#include <string>

#include "ui/ColorPicker.h"
#include "ui/DateEdit.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FileNameEdit.h"
#include "ui/Forms.h"
#include "ui/ListControls.h"
#include "ui/Panel.h"
#include "ui/StdCtrls.h"
#include "ui/TimeEdit.h"

class TNoteWrapper;

class TNoteConf : public TForm {
 public:
  explicit TNoteConf(TComponent* owner);

  TPageControl* PageControl1;
  TTabSheet* General;
  TTabSheet* Appearance;
  TTabSheet* AutoShow;
  TTabSheet* Alarm;
  TGroupBox* _NoteTitle;
  TEdit* Titleedit;
  TGroupBox* _NoteGroup;
  TComboBox* GroupBox;
  TGroupBox* _AttacchedFile;
  TFileNameEdit* LinkedFileEdit;
  TGroupBox* _NoteLayout;
  TPanel* PreviewPanel;
  TPaintBox* PreviewBox;
  TLabel* Label3;
  TLabel* Label4;
  TLabel* Label5;
  TColorPickerButton* BColor;
  TColorPickerButton* NColor;
  TColorPickerButton* TBcolor;
  TCheckBox* AutoShowCB;
  TPanel* AutoShowPanel;
  TLabel* Label6;
  TDateEdit* AutoShowDateEdit;
  TLabel* Label7;
  TTimeEdit* AutoShowTimeEdit;
  TCheckBox* AlarmCB;
  TPanel* AlarmPanel;
  TLabel* Label1;
  TDateEdit* DayInfo;
  TLabel* Label2;
  TTimeEdit* TimeInfo;
  TPanel* ButtonPanel;
  TButton* _ok;
  TButton* _cancel;
  TColorDialog ColorDialog;
  TActionList* PageKeys;

  // What a moment page shows: its box, day and time. A page left as it was loaded keeps the
  // note's moment as it is stored (to the second) and does not check it again: a snooze in its
  // last minute would otherwise read as past and be cancelled by an OK about something else.
  struct TMomentPage {
    bool Checked = false;
    std::wstring Day, Time;
    bool operator==(const TMomentPage&) const = default;
  };
  TMomentPage AutoShowPage() const;
  TMomentPage AlarmPage() const;
  TMomentPage LoadedAutoShow, LoadedAlarm;

  void SetAutoShowDateTime(TDateTime moment);
  void SetAlarmDateTime(TDateTime moment);
  // The date edit's day plus the time edit's time; the current moment when either is unreadable.
  TDateTime GetAutoShowDateTime() const;
  TDateTime GetAlarmDateTime() const;
  void Translate();

  // Event handlers.
  void FormCreate(TComponent* sender);
  void PreviewBoxPaint(TComponent* sender, TCanvas& canvas);
  void BColorChange(TComponent* sender);
  void BColorClick(TComponent* sender);
  void BColorDefaultSelect(TComponent* sender);
  void AutoShowTimeEditExit(TComponent* sender);
  void TimeInfoExit(TComponent* sender);
};

// Hours and minutes of the moment, two digits each, with the user's time separator.
std::wstring FormatHourMinute(TDateTime moment);
// "00", the time separator, "00".
std::wstring EmptyTimeText();

// Runs the dialog for the wrapper's note. Owner nil means the main window; X and Y are the
// screen point to open at, -1 for none (the dialog then stands in the bottom-right corner).
// When the note's wrapper is freed while the dialog runs (a shut-down, a session end), the
// dialog ends as if cancelled and nothing of the note is touched any more.
void EditNotePropertiesEx(TForm* Owner, TNoteWrapper* Wrapper, int X, int Y);
// The same with the main window as owner.
void EditNoteProperties(TNoteWrapper* Wrapper, int X, int Y);

// Called for a wrapper that is being freed or whose note is being deleted: a dialog open for
// its note ends as cancelled and leaves the note (and its file) alone.
void NotePropertiesWrapperGoing(TNoteWrapper* Wrapper);
