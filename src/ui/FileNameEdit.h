#pragma once
// An edit for a file name with a browse button that opens the standard open-file dialog.
// The text is whatever the user typed; only a name handed to SetFileName (or chosen in the
// dialog) must be a valid file name.
#include <stdexcept>
#include <string>

#include "ui/Dialogs.h"
#include "ui/StdCtrls.h"

// No control characters, none of < > " | ? *, and a colon only after a drive letter. The empty
// name (no file) is valid.
bool IsValidFileName(const std::wstring& name);

// Raised by SetFileName: "Invalid file name - " and the name.
class EInvalidFileName : public std::invalid_argument {
 public:
  explicit EInvalidFileName(const std::wstring& name);
};

class TFileNameEdit : public TWinControl {
 public:
  explicit TFileNameEdit(TComponent* owner, const std::wstring& name = {});

  TEdit* Edit;
  TButton* Button;

  virtual std::wstring FileName() const { return Edit->Text(); }
  // Throws EInvalidFileName, and keeps the text, for a name that is not valid.
  virtual void SetFileName(const std::wstring& name);
  std::wstring Text() const { return Edit->Text(); }
  // Shows the text as it is, valid or not.
  void SetText(const std::wstring& text) { Edit->SetText(text); }

  // For the open-file dialog.
  std::wstring DialogTitle;
  std::wstring Filter = L"All files (*.*)|*.*";
  std::wstring InitialDir;
  // Opens the dialog at the present name; a chosen file becomes the text. Returns whether one
  // was chosen and taken: a chosen name the edit refuses is named in a message instead.
  bool Browse();

  TNotifyEvent OnChange;

 protected:
  void BoundsChanged() override;
};
