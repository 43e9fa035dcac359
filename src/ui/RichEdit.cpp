#include "ui/RichEdit.h"

#include <richedit.h>

#include <cstring>

namespace {
const wchar_t* RichEditClass() {
  static const wchar_t* cls = [] {
    if (LoadLibraryW(L"riched20.dll")) return static_cast<const wchar_t*>(RICHEDIT_CLASSW);
    LoadLibraryW(L"riched32.dll");
    return L"RICHEDIT";
  }();
  return cls;
}

struct InCookie {
  const std::vector<std::uint8_t>* bytes;
  size_t pos;
};

DWORD CALLBACK ReadIn(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
  auto* c = reinterpret_cast<InCookie*>(cookie);
  size_t left = c->bytes->size() - c->pos;
  size_t n = left < static_cast<size_t>(cb) ? left : static_cast<size_t>(cb);
  if (n) std::memcpy(buf, c->bytes->data() + c->pos, n);
  c->pos += n;
  *done = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK WriteOut(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
  auto* out = reinterpret_cast<std::vector<std::uint8_t>*>(cookie);
  out->insert(out->end(), buf, buf + cb);
  *done = cb;
  return 0;
}

bool IsRtf(const std::vector<std::uint8_t>& bytes) {
  return bytes.size() >= 5 && std::memcmp(bytes.data(), "{\\rtf", 5) == 0;
}

void StreamIn(HWND h, const std::vector<std::uint8_t>& bytes) {
  InCookie cookie{&bytes, 0};
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&cookie), 0, ReadIn};
  SendMessageW(h, EM_STREAMIN, IsRtf(bytes) ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&es));
}

std::wstring GetAllText(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring s(n + 1, L'\0');
  n = GetWindowTextW(h, s.data(), n + 1);
  s.resize(n);
  return s;
}
}  // namespace

bool TRichEdit::Version2() { return std::wcscmp(RichEditClass(), RICHEDIT_CLASSW) == 0; }

TRichEdit::TRichEdit(TComponent* owner, const std::wstring& name)
    : TStdControl(owner, RichEditClass(), ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL | WS_VSCROLL) {
  SetName(name);
  SetColor(clWhite);
  SetBounds(0, 0, 185, 89);
}

void TRichEdit::HandleCreated() {
  HWND h = HandleIfAllocated();
  SendMessageW(h, EM_SETUNDOLIMIT, 1000, 0);
  SendMessageW(h, EM_AUTOURLDETECT, TRUE, 0);
  SendMessageW(h, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_LINK);
  SendMessageW(h, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SendMessageW(h, EM_SETBKGNDCOLOR, 0, ColorToRGB(Color()));
  // A new control is editable: only a read-only one needs telling (each state change is a
  // window-style change, a round trip to the Wine server).
  if (readOnly_) SendMessageW(h, EM_SETREADONLY, TRUE, 0);
  if (!pending_.empty()) {
    // Loading sets the default format first.
    std::vector<std::uint8_t> p;
    p.swap(pending_);
    LoadFromBytes(p);
  } else {
    SetDefaultFormat(Font());
  }
}

void TRichEdit::SetDefaultFormat(const TFont& font) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET;
  wcsncpy(cf.szFaceName, font.Name().c_str(), LF_FACESIZE - 1);
  cf.yHeight = font.Size() * 20;
  cf.crTextColor = ColorToRGB(font.Color());
  cf.bCharSet = DEFAULT_CHARSET;
  TFontStyles s = font.Style();
  cf.dwEffects = (s & FontStyle::Bold ? CFE_BOLD : 0) | (s & FontStyle::Italic ? CFE_ITALIC : 0) |
                 (s & FontStyle::Underline ? CFE_UNDERLINE : 0) | (s & FontStyle::StrikeOut ? CFE_STRIKEOUT : 0);
  SendMessageW(h, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
  // Text already there takes it too, and so does what is typed into an empty control.
  SendMessageW(h, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
}

void TRichEdit::LoadFromBytes(const std::vector<std::uint8_t>& bytes) {
  HWND h = HandleIfAllocated();
  if (!h) {
    pending_ = bytes;
    return;
  }
  bool ro = readOnly_;
  if (ro) SendMessageW(h, EM_SETREADONLY, FALSE, 0);
  // Each change of the control's content repaints it: an empty one is left as it is.
  if (GetWindowTextLengthW(h) > 0) SetWindowTextW(h, L"");
  SetDefaultFormat(Font());
  if (!bytes.empty()) StreamIn(h, bytes);
  SendMessageW(h, EM_EMPTYUNDOBUFFER, 0, 0);
  SetModified(false);
  if (ro) SendMessageW(h, EM_SETREADONLY, TRUE, 0);
}

std::vector<std::uint8_t> TRichEdit::SaveToBytes() {
  std::vector<std::uint8_t> out;
  HWND h = HandleIfAllocated();
  if (!h) return pending_;
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0, WriteOut};
  SendMessageW(h, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
  return out;
}

std::wstring TRichEdit::Text() const {
  HWND h = HandleIfAllocated();
  return h ? GetAllText(h) : std::wstring();
}

void TRichEdit::SetText(const std::wstring& text) {
  if (HWND h = Handle()) {
    SetWindowTextW(h, text.c_str());
    SetModified(true);
  }
}

void TRichEdit::Clear() {
  pending_.clear();
  if (HWND h = HandleIfAllocated()) {
    SetWindowTextW(h, L"");
    SendMessageW(h, EM_EMPTYUNDOBUFFER, 0, 0);
    SetModified(false);
  }
}

void TRichEdit::SetReadOnly(bool on) {
  if (readOnly_ == on) return;
  readOnly_ = on;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_SETREADONLY, on, 0);
}

bool TRichEdit::Modified() const {
  HWND h = HandleIfAllocated();
  return h && (changed_ || SendMessageW(h, EM_GETMODIFY, 0, 0));
}

void TRichEdit::SetModified(bool on) {
  changed_ = on;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_SETMODIFY, on, 0);
}

TTextAttributes TRichEdit::SelAttributes() const {
  TTextAttributes a;
  HWND h = HandleIfAllocated();
  if (!h) return a;
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(h, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  a.Name = cf.szFaceName;
  a.Size = cf.yHeight / 20;
  a.Color = cf.crTextColor & 0xFFFFFF;
  a.Style = (cf.dwEffects & CFE_BOLD ? FontStyle::Bold : 0) | (cf.dwEffects & CFE_ITALIC ? FontStyle::Italic : 0) |
            (cf.dwEffects & CFE_UNDERLINE ? FontStyle::Underline : 0) |
            (cf.dwEffects & CFE_STRIKEOUT ? FontStyle::StrikeOut : 0);
  return a;
}

void TRichEdit::SetSelAttributes(const TTextAttributes& a) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
  wcsncpy(cf.szFaceName, a.Name.c_str(), LF_FACESIZE - 1);
  cf.yHeight = a.Size * 20;
  cf.crTextColor = ColorToRGB(a.Color);
  cf.dwEffects = (a.Style & FontStyle::Bold ? CFE_BOLD : 0) | (a.Style & FontStyle::Italic ? CFE_ITALIC : 0) |
                 (a.Style & FontStyle::Underline ? CFE_UNDERLINE : 0) |
                 (a.Style & FontStyle::StrikeOut ? CFE_STRIKEOUT : 0);
  SendMessageW(h, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  // A change of format is an edit of the text: said here rather than left to the control.
  changed_ = true;
}

void TRichEdit::SetSelStyle(TFontStyles style) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
  cf.dwEffects = (style & FontStyle::Bold ? CFE_BOLD : 0) | (style & FontStyle::Italic ? CFE_ITALIC : 0) |
                 (style & FontStyle::Underline ? CFE_UNDERLINE : 0) |
                 (style & FontStyle::StrikeOut ? CFE_STRIKEOUT : 0);
  SendMessageW(h, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  changed_ = true;
}

bool TRichEdit::CanUndo() const {
  HWND h = HandleIfAllocated();
  return h && SendMessageW(h, EM_CANUNDO, 0, 0);
}
void TRichEdit::Undo() {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_UNDO, 0, 0);
  changed_ = true;
}
void TRichEdit::CutToClipboard() {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, WM_CUT, 0, 0);
}
void TRichEdit::CopyToClipboard() {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, WM_COPY, 0, 0);
}
void TRichEdit::PasteFromClipboard() {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, WM_PASTE, 0, 0);
}
void TRichEdit::ClearSelection() {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}
void TRichEdit::SelectAll() { SetSelection(0, -1); }

CHARRANGE TRichEdit::Selection() const {
  CHARRANGE r{0, 0};
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
  return r;
}

void TRichEdit::SetSelection(int start, int end) {
  CHARRANGE r{start, end};
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

POINT TRichEdit::ScrollPosition() const {
  POINT p{0, 0};
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&p));
  return p;
}

void TRichEdit::SetScrollPosition(POINT position) {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&position));
}

void TRichEdit::SetColor(TColor color) {
  TStdControl::SetColor(color);
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_SETBKGNDCOLOR, 0, ColorToRGB(color));
}

bool TRichEdit::Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE) {
    changed_ = true;
    if (OnChange) OnChange(this);
    result = 0;
    return true;
  }
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == EN_LINK) {
    auto* link = reinterpret_cast<ENLINK*>(lp);
    TMouseButton button;
    switch (link->msg) {
      case WM_LBUTTONDOWN: button = TMouseButton::mbLeft; break;
      case WM_RBUTTONDOWN: button = TMouseButton::mbRight; break;
      case WM_MBUTTONDOWN: button = TMouseButton::mbMiddle; break;
      default: return false;
    }
    std::wstring url(link->chrg.cpMax - link->chrg.cpMin + 1, L'\0');
    TEXTRANGEW tr{link->chrg, url.data()};
    int n = static_cast<int>(SendMessageW(HandleIfAllocated(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr)));
    url.resize(n > 0 ? n : 0);
    if (OnURLClick) OnURLClick(this, url, button);
    result = 0;
    return true;
  }
  return false;
}

std::wstring RichTextToPlainText(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return {};
  // One hidden control serves every conversion: a window made and destroyed for each one costs
  // more than the conversion, and a list of many notes asks for many previews.
  static HWND converter = nullptr;
  if (!converter || !IsWindow(converter)) {
    converter = CreateWindowExW(0, RichEditClass(), L"", WS_POPUP | ES_MULTILINE, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!converter) return {};
    SendMessageW(converter, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  }
  // Streaming in replaces the whole text, and with it whatever the last conversion left.
  StreamIn(converter, bytes);
  return GetAllText(converter);
}
