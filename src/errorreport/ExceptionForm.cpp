#include "errorreport/ExceptionForm.h"

#include <shellapi.h>

#include "errorreport/ErrorReport.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/Paths.h"

namespace {
template <class T>
T* Put(T* control, TWinControl* parent, int left, int top, int width, int height, TAlign align = TAlign::alNone) {
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  control->SetAlign(align);
  return control;
}

void DialogFont(TControl* c) {
  c->Font().SetName(L"MS Shell Dlg 2");
  c->Font().SetSize(8);
}

TPanel* Strip(TComponent* owner, const wchar_t* name, TWinControl* parent, int width, int height, TAlign align) {
  TPanel* p = Put(new TPanel(owner, name), parent, 0, 0, width, height, align);
  p->SetBevelOuter(TBevelCut::bvNone);
  return p;
}

TButton* Button(TComponent* owner, const wchar_t* name, const wchar_t* caption, TWinControl* parent, int left) {
  TButton* b = Put(new TButton(owner, name), parent, left, 3, 75, 25);
  b->SetCaption(caption);
  DialogFont(b);
  return b;
}
}  // namespace

TExceptionForm::TExceptionForm(TComponent* owner) : TForm(owner, L"TExceptionForm") {
  SetName(L"ExceptionForm");
  BorderStyle = TFormBorderStyle::bsToolWindow;
  SetCaption(L"Unexpected Exception");
  DialogFont(this);
  SetClientSize(506, 193);

  Panel1 = Strip(this, L"Panel1", this, 49, 0, TAlign::alLeft);
  Image1 = Put(new TImage(this, L"Image1"), Panel1, 8, 8, 33, 33);
  Image1->SetIcon(LoadIconW(nullptr, IDI_ERROR));

  Panel2 = Strip(this, L"Panel2", this, 0, 31, TAlign::alBottom);
  Panel3 = Strip(this, L"Panel3", Panel2, 89, 0, TAlign::alLeft);
  TerminateBTN = Button(this, L"TerminateBTN", L"&Terminate", Panel3, 8);
  TerminateBTN->ModalResult = mrAbort;
  Panel4 = Strip(this, L"Panel4", Panel2, 162, 0, TAlign::alRight);
  CopyBTN = Button(this, L"CopyBTN", L"Co&py", Panel4, 2);
  CopyBTN->OnClick = [this](TComponent* s) { CopyBTNClick(s); };
  CloseBTN = Button(this, L"CloseBTN", L"&Close", Panel4, 81);
  CloseBTN->ModalResult = mrOk;
  CloseBTN->Cancel = true;
  CancelButton = CloseBTN;
  Panel5 = Strip(this, L"Panel5", Panel2, 0, 0, TAlign::alClient);
  ReportLabelClick = Put(new TLabel(this, L"ReportLabelClick"), Panel5, 0, 2, 255, 27, TAlign::alClient);
  ReportLabelClick->OnCreateParams = [](TCreateParams& p) { p.Style |= SS_CENTER | SS_NOTIFY; };
  ReportLabelClick->SetCaption(L"Please report this error \r\nto Belvanto");
  ReportLabelClick->Font().SetName(L"Arial");
  ReportLabelClick->Font().SetSize(8);
  ReportLabelClick->Font().SetStyle(FontStyle::Bold);
  ReportLabelClick->Cursor = IDC_HAND;
  ReportLabelClick->OnClick = [this](TComponent* s) { ReportLabelClickClick(s); };

  Panel6 = Strip(this, L"Panel6", this, 0, 0, TAlign::alClient);
  ErrorLog = Put(new TMemo(this, L"ErrorLog"), Panel6, 0, 0, 457, 162, TAlign::alClient);
  ErrorLog->ScrollBars = TScrollStyle::ssVertical;
  ErrorLog->WordWrap = true;
  ErrorLog->SetReadOnly(true);
  DialogFont(ErrorLog);
  ErrorLog->Clear();

  // Centred on the screen.
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SetBounds((work.right - Width()) / 2, (work.bottom - Height()) / 2, Width(), Height());
}

void TExceptionForm::AddProductVersions() {
  std::vector<std::wstring> lines = ErrorLog->Lines();
  lines.push_back(kReportSeparator);
  lines.push_back(L"Product Versions");
  lines.push_back(L"");
  const std::wstring folder = ExeFolder();
  for (const wchar_t* pattern : {L"*.exe", L"*.dll", L"*.bpl"}) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      FILETIME local;
      SYSTEMTIME st;
      FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local);
      FileTimeToSystemTime(&local, &st);
      lines.push_back(std::wstring(fd.cFileName) + L":" + FileVersionText(folder + fd.cFileName) + L" " +
                        DateTimeToStr(SystemTimeToDateTime(st)));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  ErrorLog->SetLines(lines);
}

std::vector<std::wstring> TExceptionForm::DisplayedLines() {
  std::vector<std::wstring> lines;
  const int count = ErrorLog->LineCount();
  for (int i = 0; i < count; ++i) lines.push_back(ErrorLog->DisplayLine(i));
  // The edit control counts a line after the last break; the report does not.
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

void TExceptionForm::CopyBTNClick(TComponent*) {
  // The memo's own text: the report's line breaks, not where the memo wraps.
  const std::wstring text = ErrorLog->Text();
  if (!OpenClipboard(Handle())) return;
  EmptyClipboard();
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

void TExceptionForm::ReportLabelClickClick(TComponent*) {
  ShellExecuteW(Handle(), L"OPEN", kBugReportURL, L"", L"c:\\", SW_SHOWNORMAL);
}
