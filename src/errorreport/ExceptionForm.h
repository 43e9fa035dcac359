#pragma once
// The error dialog: the report in a memo, and Terminate, Copy, Close and the link to report
// the error. It stays in English whatever the language: it must work when the language files
// are what failed.
#include <string>
#include <vector>

#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Image.h"
#include "ui/Memo.h"
#include "ui/Panel.h"
#include "ui/StdCtrls.h"

class TExceptionForm : public TForm {
 public:
  explicit TExceptionForm(TComponent* owner);

  TPanel* Panel1;
  TImage* Image1;
  TPanel* Panel2;
  TPanel* Panel3;
  TButton* TerminateBTN;
  TPanel* Panel4;
  TButton* CopyBTN;
  TButton* CloseBTN;
  TPanel* Panel5;
  TLabel* ReportLabelClick;
  TPanel* Panel6;
  TMemo* ErrorLog;

  // The product-version section: every .exe, .dll and .bpl beside the executable.
  void AddProductVersions();
  // The memo's lines as it lays them out (long lines broken where it wraps them).
  std::vector<std::wstring> DisplayedLines();

  void CopyBTNClick(TComponent* sender);
  void ReportLabelClickClick(TComponent* sender);
};

// The bug-report page of our site.
inline const wchar_t kBugReportURL[] = L"http://www.belvanto.com/go/bugsreport";
