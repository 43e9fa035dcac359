#include "ui/MessageBox.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {
MessageBoxAnswerer g_answerer;
std::function<void(const MessageBoxRequest&)> g_unseen;
bool g_ending = false;

// A box that is up: found by its window to be taken back, by the program's end or, for the
// end's own questions, by its timer, which asks whether it still stands.
struct OpenBox {
  MessageBoxRequest request;
  bool endsQuestion;  // the end's own question: never taken back by the end
  std::function<bool()> withdrawn;
  int withdrawnAnswer;
  UINT_PTR timer;
  HWND box;
  bool taken;
};
std::vector<OpenBox*> g_boxes;  // innermost last
HHOOK g_hook = nullptr;

// Finds the box as the system makes it: the first dialog window made on this thread while a
// box that has none yet is starting.
LRESULT CALLBACK FindBoxHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND && !g_boxes.empty() && !g_boxes.back()->box) {
    wchar_t cls[16] = {};
    GetClassNameW(reinterpret_cast<HWND>(wp), cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0) g_boxes.back()->box = reinterpret_cast<HWND>(wp);
  }
  return CallNextHookEx(g_hook, code, wp, lp);
}

void CALLBACK CheckWithdrawal(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = std::find_if(g_boxes.begin(), g_boxes.end(), [id](OpenBox* b) { return b->timer == id; });
  if (it == g_boxes.end()) return;
  OpenBox* b = *it;
  if (!b->box || !IsWindow(b->box) || !b->withdrawn()) return;
  KillTimer(nullptr, b->timer);
  b->timer = 0;
  EndDialog(b->box, b->withdrawnAnswer);
}

// The button that leaves things as they are.
int EndingAnswer(UINT flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDCANCEL;
  }
}

void TellUnseen(const MessageBoxRequest& request) {
  if (!g_unseen) return;
  try {
    g_unseen(request);
  } catch (...) {
    // What could not be kept is lost; the end goes on.
  }
}

int Show(MessageBoxRequest request, bool endsQuestion, std::function<bool()> withdrawn, int withdrawnAnswer) {
  if (g_ending && !endsQuestion) {
    TellUnseen(request);
    return EndingAnswer(request.Flags);
  }
  if (g_answerer) return g_answerer(request);
  OpenBox b{std::move(request), endsQuestion, std::move(withdrawn), withdrawnAnswer, 0, nullptr, false};
  if (b.withdrawn) b.timer = SetTimer(nullptr, 0, 250, CheckWithdrawal);
  g_boxes.push_back(&b);
  const bool hooked = !g_hook;
  if (hooked) g_hook = SetWindowsHookExW(WH_CBT, FindBoxHook, nullptr, GetCurrentThreadId());
  struct Cleanup {
    OpenBox& b;
    bool hooked;
    ~Cleanup() {
      if (b.timer) KillTimer(nullptr, b.timer);
      g_boxes.erase(std::remove(g_boxes.begin(), g_boxes.end(), &b), g_boxes.end());
      if (hooked && g_hook) UnhookWindowsHookEx(std::exchange(g_hook, nullptr));
    }
  } cleanup{b, hooked};
  HWND owner = GetActiveWindow();
  const int answer =
      MessageBoxW(owner, b.request.Text.c_str(), b.request.Caption.c_str(), b.request.Flags | MB_TASKMODAL);
  // A box taken back while the program ended gives the answer it was given, whatever the system
  // made of it (a quit message on the way ends a box too).
  return b.taken ? EndingAnswer(b.request.Flags) : answer;
}
}  // namespace

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) { g_answerer = std::move(answerer); }

void SetUnseenMessageBoxHook(std::function<void(const MessageBoxRequest&)> hook) { g_unseen = std::move(hook); }

int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
  return Show(MessageBoxRequest{text, caption, flags}, false, {}, 0);
}

int ShowWithdrawableMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags,
                               std::function<bool()> withdrawn, int withdrawnAnswer) {
  return Show(MessageBoxRequest{text, caption, flags}, true, std::move(withdrawn), withdrawnAnswer);
}

void BeginEnding() {
  g_ending = true;
  // Innermost first: each one's loop ends as the handlers under it return.
  for (auto it = g_boxes.rbegin(); it != g_boxes.rend(); ++it) {
    OpenBox* b = *it;
    if (b->endsQuestion || b->taken || !b->box || !IsWindow(b->box)) continue;
    b->taken = true;
    TellUnseen(b->request);
    EndDialog(b->box, EndingAnswer(b->request.Flags));
  }
  // A menu's loop does not end by itself either.
  EndMenu();
}

void CancelEnding() { g_ending = false; }

bool Ending() { return g_ending; }
