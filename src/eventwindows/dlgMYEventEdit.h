#pragma once
// The small modal dialog in which the user types an event's description and picks its date.
// It checks nothing: the caller takes its two values when it closes with OK.
#include <string>

#include "ui/DateEdit.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

class TMyEventEdit : public TForm {
 public:
  explicit TMyEventEdit(TComponent* owner);

  TButton* _ok;
  TButton* _cancel;
  TLabel* _description;
  TEdit* EventText;
  TDateEdit* EventDate;
  TLabel* _date;

  void Translate();
  // Each label as wide as its text, the fields beside them.
  void LayOutLabels();

 private:
  void FormCreate(TComponent* sender);
};

// Runs the dialog on text and date; true, with the values entered, when it closed with OK.
// A session end while it runs ends it as Cancel.
bool RunEventEditDialog(std::wstring& text, TDateTime& date);
