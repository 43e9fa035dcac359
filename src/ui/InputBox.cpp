#include "ui/InputBox.h"

#include <algorithm>

#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace {
InputBoxAnswerer g_answerer;

class TInputBoxForm : public TForm {
 public:
  TInputBoxForm(TComponent* owner, const InputBoxRequest& request) : TForm(owner, L"TInputBoxForm") {
    BorderStyle = TFormBorderStyle::bsDialog;
    SetCaption(request.Caption);
    Font().SetName(L"MS Shell Dlg 2");
    Font().SetSize(8);
    SetClientSize(kWidth, 96);
    Prompt = new TLabel(this, L"Prompt");
    Prompt->SetParent(this);
    Prompt->SetBounds(8, 10, kWidth - 16, 16);
    // A long prompt (a translation) takes more lines; the rest moves down under it.
    Prompt->SetWordWrap(true);
    Prompt->SetAutoSize(true);
    Prompt->SetCaption(request.Prompt);
    const int editTop = std::max(30, Prompt->Top() + Prompt->Height() + 4);
    SetClientSize(kWidth, editTop + 66);
    Edit = new TEdit(this, L"Edit");
    Edit->SetParent(this);
    Edit->SetBounds(8, editTop, kWidth - 16, 21);
    Edit->SetMaxLength(request.MaxLength);
    Edit->SetText(request.Default);
    Ok = new TButton(this, L"OK");
    Ok->SetParent(this);
    Ok->SetCaption(L"OK");
    Ok->SetBounds(kWidth / 2 - 79, editTop + 32, 75, 25);
    Ok->ModalResult = mrOk;
    Ok->SetDefault(true);
    Cancel = new TButton(this, L"Cancel");
    Cancel->SetParent(this);
    Cancel->SetCaption(L"Cancel");
    Cancel->SetBounds(kWidth / 2 + 4, editTop + 32, 75, 25);
    Cancel->ModalResult = mrCancel;
    Cancel->Cancel = true;
    DefaultButton = Ok;
    CancelButton = Cancel;
    SetActiveControl(Edit);
    // In the middle of the screen, as the standard box opens.
    SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(),
              Height());
    DoCreate();
  }
  static constexpr int kWidth = 320;
  TLabel* Prompt;
  TEdit* Edit;
  TButton* Ok;
  TButton* Cancel;
};
}  // namespace

void SetInputBoxAnswerer(InputBoxAnswerer answerer) { g_answerer = std::move(answerer); }

bool InputQuery(TForm* owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& value,
                int maxLength) {
  // The limit is for what is typed: a longer starting text (a title written by an older version
  // or by hand) is shown and kept whole, never cut.
  if (maxLength > 0) maxLength = std::max(maxLength, static_cast<int>(value.size()));
  const InputBoxRequest request{caption, prompt, value, maxLength};
  if (g_answerer) {
    std::wstring answer = value;
    if (!g_answerer(request, answer)) return false;
    value = maxLength > 0 && static_cast<int>(answer.size()) > maxLength ? answer.substr(0, maxLength) : answer;
    return true;
  }
  if (!Application) return false;
  TComponent* boxOwner = owner ? static_cast<TComponent*>(owner) : static_cast<TComponent*>(Application);
  auto* box = new TInputBoxForm(boxOwner, request);
  TLifeCheck alive = box->Watch();
  const TModalResult result = box->ShowModal();
  // The loop ran: the box goes with its owner when that was freed meanwhile.
  if (!alive) return false;
  const std::wstring answer = box->Edit->Text();
  box->Release();
  if (result != mrOk) return false;
  value = answer;
  return true;
}

std::wstring InputBox(TForm* owner, const std::wstring& caption, const std::wstring& prompt, const std::wstring& def,
                      int maxLength) {
  std::wstring value = def;
  return InputQuery(owner, caption, prompt, value, maxLength) ? value : def;
}
