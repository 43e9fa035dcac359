#include "ui/FileNameEdit.h"

#include "ui/Forms.h"
#include "ui/MessageBox.h"

bool IsValidFileName(const std::wstring& name) {
  for (size_t i = 0; i < name.size(); ++i) {
    wchar_t c = name[i];
    if (c < L' ' || std::wstring(L"<>\"|?*").find(c) != std::wstring::npos) return false;
    if (c == L':' && !(i == 1 && IsCharAlphaW(name[0]))) return false;
  }
  return true;
}

EInvalidFileName::EInvalidFileName(const std::wstring& name)
    : std::invalid_argument("Invalid file name - " + WideToUtf8(name)) {}

TFileNameEdit::TFileNameEdit(TComponent* owner, const std::wstring& name) : TWinControl(owner) {
  SetName(name);
  SetColor(clNone);
  Edit = new TEdit(this, name + L"Edit");
  Edit->SetParent(this);
  Button = new TButton(this, name + L"Button");
  Button->SetParent(this);
  Button->SetCaption(L"...");
  Edit->OnChange = [this](TComponent*) {
    if (OnChange) OnChange(this);
  };
  Button->OnClick = [this](TComponent*) { Browse(); };
  SetBounds(0, 0, 185, 21);
}

void TFileNameEdit::BoundsChanged() {
  const int button = Height();
  Edit->SetBounds(0, 0, Width() - button - 1, Height());
  Button->SetBounds(Width() - button, 0, button, Height());
}

void TFileNameEdit::SetFileName(const std::wstring& name) {
  if (!IsValidFileName(name)) throw EInvalidFileName(name);
  Edit->SetText(name);
}

bool TFileNameEdit::Browse() {
  TOpenDialog dialog;
  dialog.Title = DialogTitle;
  dialog.Filter = Filter;
  dialog.InitialDir = InitialDir;
  dialog.Options = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  // A mistyped name would make the dialog refuse to open at all: it then starts empty.
  const std::wstring present = Trim(FileName());
  if (IsValidFileName(present)) dialog.FileName = present;
  TForm* form = ParentForm(this);
  HWND owner = form ? form->HandleIfAllocated() : nullptr;
  TLifeCheck alive = Watch();
  bool ok = dialog.Execute(owner);
  // The dialog ran the message loop: the edit may be gone.
  if (!alive || !ok) return false;
  try {
    SetFileName(dialog.FileName);
  } catch (const EInvalidFileName&) {
    // The open-file dialog allows names this edit does not: the user hears why, and the text
    // stays as it was.
    ShowMessageBox(L"Invalid file name - " + dialog.FileName, L"Vantaro", MB_OK | MB_ICONERROR);
    return false;
  }
  Edit->SetFocus();
  return true;
}
