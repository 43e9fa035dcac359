#include "ui/Memo.h"

TMemo::TMemo(TComponent* owner, const std::wstring& name) : TEdit(owner, name) {
  SetBounds(0, 0, 185, 89);
  // Editing keys (Delete, Ctrl+Z, ...) are the text's, not the form's shortcuts.
  WantKeys = true;
}

void TMemo::CreateParams(TCreateParams& params) {
  TEdit::CreateParams(params);
  params.Style &= ~ES_AUTOHSCROLL;
  params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | (wantReturns_ ? ES_WANTRETURN : 0);
  bool horizontal = ScrollBars == TScrollStyle::ssHorizontal || ScrollBars == TScrollStyle::ssBoth;
  bool vertical = ScrollBars == TScrollStyle::ssVertical || ScrollBars == TScrollStyle::ssBoth;
  if (!WordWrap) params.Style |= ES_AUTOHSCROLL | (horizontal ? WS_HSCROLL : 0);
  if (vertical) params.Style |= WS_VSCROLL;
  if (!Border) params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TMemo::SetWantReturns(bool on) {
  wantReturns_ = on;
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    SetWindowLongPtrW(h, GWL_STYLE, on ? style | ES_WANTRETURN : style & ~ES_WANTRETURN);
  }
}

std::vector<std::wstring> TMemo::Lines() const {
  std::vector<std::wstring> lines;
  std::wstring text = Text();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void TMemo::SetLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\r\n";
  SetText(text);
}

void TMemo::AddLine(const std::wstring& line) {
  std::wstring text = Text();
  SetText(text + line + L"\r\n");
}

int TMemo::LineCount() const {
  HWND h = HandleIfAllocated();
  return h ? static_cast<int>(SendMessageW(h, EM_GETLINECOUNT, 0, 0)) : static_cast<int>(Lines().size());
}

std::wstring TMemo::DisplayLine(int index) const {
  HWND h = HandleIfAllocated();
  if (!h) return index >= 0 && index < static_cast<int>(Lines().size()) ? Lines()[index] : std::wstring();
  int start = static_cast<int>(SendMessageW(h, EM_LINEINDEX, index, 0));
  if (start < 0) return {};
  int length = static_cast<int>(SendMessageW(h, EM_LINELENGTH, start, 0));
  // EM_GETLINE takes the buffer's size in its first word and copies without a terminator.
  std::wstring line(std::max(length, 1), L'\0');
  line[0] = static_cast<wchar_t>(line.size());
  int copied = static_cast<int>(SendMessageW(h, EM_GETLINE, index, reinterpret_cast<LPARAM>(line.data())));
  line.resize(std::max(copied, 0));
  return line;
}

LRESULT TMemo::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_GETDLGCODE: {
      // Tells the dialog keyboard which keys stay here.
      LRESULT code = TEdit::WndProc(msg, wp, lp);
      code = wantTabs_ ? code | DLGC_WANTTAB : code & ~DLGC_WANTTAB;
      if (auto* m = reinterpret_cast<const MSG*>(lp); m && (m->message == WM_KEYDOWN || m->message == WM_CHAR)) {
        bool wanted = m->wParam == VK_TAB ? wantTabs_ : m->wParam == VK_RETURN ? wantReturns_ : true;
        if (m->wParam == VK_TAB || m->wParam == VK_RETURN)
          code = wanted ? code | DLGC_WANTMESSAGE : code & ~DLGC_WANTMESSAGE;
      }
      return code;
    }
    case WM_KEYDOWN:
      // In a dialog the edit would move on at Tab (and press the default button at Enter)
      // itself; a memo that wants the key keeps it for the character that follows.
      if ((wp == VK_TAB && wantTabs_) || (wp == VK_RETURN && wantReturns_)) {
        if (GetKeyState(VK_CONTROL) >= 0) return 0;
      }
      break;
    case WM_CHAR:
      if ((wp == L'\t' && !wantTabs_) || (wp == L'\r' && !wantReturns_)) return 0;
      // Once the dialog keyboard has asked for its keys, the edit ignores Tab characters.
      if (wp == L'\t' && !ReadOnly()) {
        SendMessageW(HandleIfAllocated(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
        return 0;
      }
      break;
    default: break;
  }
  return TEdit::WndProc(msg, wp, lp);
}
