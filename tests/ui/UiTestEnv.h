#pragma once
// What the window-layer suites share: an application per test with its errors and message boxes
// recorded, placing controls, and a dialog laid out the way the program's dialogs are.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ui/Application.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/MessageBox.h"
#include "ui/StdCtrls.h"

namespace uitest {

using testsupport::kPatience;
using testsupport::RunLoopUntil;
using testsupport::Watchdog;
using testsupport::ZRank;

inline LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
inline void Idle(DWORD ms) { RunLoopUntil([] { return false; }, ms); }

template <class T>
T* Put(T* control, TWinControl* parent, int x, int y, int w, int h, const std::wstring& caption = {}) {
  return Place(control, parent, x, y, w, h, caption);
}

// A panel, tab sheets, a labelled edit and the three buttons, in creation order.
class TKeyDialog : public TForm {
 public:
  explicit TKeyDialog(TComponent* owner) : TForm(owner, L"TKeyboardTestDialog") {
    BorderStyle = TFormBorderStyle::bsDialog;
    SetBounds(60, 60, 360, 300);
    auto* panel = Put(new TWinControl(this), this, 0, 0, 340, 60);
    First = Put(new TEdit(this, L"First"), panel, 8, 8, 100, 21);
    NameLabel = Put(new TLabel(this, L"NameLabel"), panel, 120, 10, 50, 17, L"&Name:");
    Second = Put(new TEdit(this, L"Second"), panel, 180, 8, 100, 21);
    Pages = Put(new TPageControl(this, L"Pages"), this, 8, 64, 320, 120);
    auto *sheet1 = new TTabSheet(Pages, L"Sheet1"), *sheet2 = new TTabSheet(Pages, L"Sheet2");
    sheet1->SetCaption(L"One");
    sheet2->SetCaption(L"Two");
    Third = Put(new TEdit(this, L"Third"), sheet1, 8, 8, 100, 21);
    Hidden = Put(new TEdit(this, L"Hidden"), sheet2, 8, 8, 100, 21);
    Apply = Put(new TButton(this, L"Apply"), this, 8, 200, 75, 25, L"&Apply");
    Ok = Put(new TButton(this, L"Ok"), this, 100, 200, 75, 25, L"OK");
    Cancel = Put(new TButton(this, L"CancelBtn"), this, 190, 200, 75, 25, L"Cancel");
    Ok->SetDefault(true);
    Ok->ModalResult = mrOk;
    Cancel->Cancel = true;
    Cancel->ModalResult = mrCancel;
    Apply->OnClick = [this](TComponent*) { Pressed += L"apply "; };
    Ok->OnClick = [this](TComponent*) { Pressed += L"ok "; };
    Cancel->OnClick = [this](TComponent*) { Pressed += L"cancel "; };
  }
  TEdit *First, *Second, *Third, *Hidden;
  TLabel* NameLabel;
  TPageControl* Pages;
  TButton *Apply, *Ok, *Cancel;
  std::wstring Pressed;
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<TApplication>();
    app_->OnException = [this](const std::exception& e) { errors_.push_back(e.what()); };
    SetMessageBoxAnswerer([this](const MessageBoxRequest& r) {
      boxes_.push_back(r.Text);
      return IDOK;
    });
  }
  void TearDown() override {
    app_.reset();
    SetMessageBoxAnswerer(nullptr);
    // Terminate leaves its WM_QUIT behind; the next test's loops must not see it.
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  std::unique_ptr<TApplication> app_;
  std::vector<std::string> errors_;
  std::vector<std::wstring> boxes_;
};

}  // namespace uitest
