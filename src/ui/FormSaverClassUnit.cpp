#include "ui/FormSaverClassUnit.h"

#include "ui/Forms.h"
#include "ui/Registry.h"

void TFormSaver::Capture(TForm* form) {
  if (!form) return;
  switch (form->WindowState()) {
    case TWindowState::wsNormal:
      X = form->Left(), Y = form->Top(), W = form->Width(), H = form->Height();
      Maximized = false;
      break;
    case TWindowState::wsMaximized: Maximized = true; break;
    case TWindowState::wsMinimized: break;
  }
}

bool TFormSaver::Plausible() const {
  return X >= 1 && X <= GetSystemMetrics(SM_CXSCREEN) && Y >= 1 && Y <= GetSystemMetrics(SM_CYSCREEN) && W >= 1 &&
         H >= 1;
}

void TFormSaver::Apply(TForm* form) {
  if (!form || !Plausible()) return;
  // The bounds are those of the restored window, so it is restored before they are set.
  if (form->WindowState() != TWindowState::wsNormal) form->SetWindowState(TWindowState::wsNormal);
  form->SetBounds(X, Y, W, H);
  form->SetWindowState(Maximized ? TWindowState::wsMaximized : TWindowState::wsNormal);
}

void TFormSaver::SaveToRegistry(const std::wstring& key) {
  if (Form) Capture(Form);
  TRegistry reg;
  if (!reg.OpenKey(key, true)) throw ERegistryError("Failed to create key");
  reg.WriteInteger(L"FormX", X);
  reg.WriteInteger(L"FormY", Y);
  reg.WriteInteger(L"FormW", W);
  reg.WriteInteger(L"FormH", H);
  reg.WriteBool(L"FormMax", Maximized);
}

bool TFormSaver::LoadFromRegistry(const std::wstring& key) {
  TRegistry reg;
  const bool exists = reg.KeyExists(key) && reg.OpenKey(key, false);
  if (exists) {
    // Read all five before taking any: a key half written by hand or by another program must
    // neither keep the window from opening nor place it from a mix of old and new values.
    try {
      const std::int32_t x = reg.ReadInteger(L"FormX"), y = reg.ReadInteger(L"FormY"), w = reg.ReadInteger(L"FormW"),
                         h = reg.ReadInteger(L"FormH");
      const bool maximized = reg.ReadBool(L"FormMax");
      X = x, Y = y, W = w, H = h, Maximized = maximized;
    } catch (const ERegistryError&) {
      reg.CloseKey();
      return true;
    }
    reg.CloseKey();
  }
  if (Form) Apply(Form);
  return exists;
}
