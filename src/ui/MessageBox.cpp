#include "ui/MessageBox.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {
MessageBoxAnswerer g_answerer;

// A box that is up and may be taken back: found by its timer, which asks whether it still
// stands.
struct Withdrawal {
  std::function<bool()> withdrawn;
  int answer;
  UINT_PTR timer;
  HWND box;
};
std::vector<Withdrawal*> g_withdrawals;  // innermost last
HHOOK g_hook = nullptr;

// Finds the box as the system makes it: the first dialog window made on this thread while a
// box that has none yet is starting.
LRESULT CALLBACK FindBoxHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND && !g_withdrawals.empty() && !g_withdrawals.back()->box) {
    wchar_t cls[16] = {};
    GetClassNameW(reinterpret_cast<HWND>(wp), cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0) g_withdrawals.back()->box = reinterpret_cast<HWND>(wp);
  }
  return CallNextHookEx(g_hook, code, wp, lp);
}

void CALLBACK CheckWithdrawal(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = std::find_if(g_withdrawals.begin(), g_withdrawals.end(), [id](Withdrawal* w) { return w->timer == id; });
  if (it == g_withdrawals.end()) return;
  Withdrawal* w = *it;
  if (!w->box || !IsWindow(w->box) || !w->withdrawn()) return;
  KillTimer(nullptr, w->timer);
  w->timer = 0;
  EndDialog(w->box, w->answer);
}
}  // namespace

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) { g_answerer = std::move(answerer); }

int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
  if (g_answerer) return g_answerer(MessageBoxRequest{text, caption, flags});
  HWND owner = GetActiveWindow();
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags | MB_TASKMODAL);
}

int ShowWithdrawableMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags,
                               std::function<bool()> withdrawn, int withdrawnAnswer) {
  if (g_answerer) return g_answerer(MessageBoxRequest{text, caption, flags});
  Withdrawal w{std::move(withdrawn), withdrawnAnswer, 0, nullptr};
  w.timer = SetTimer(nullptr, 0, 250, CheckWithdrawal);
  g_withdrawals.push_back(&w);
  const bool hooked = !g_hook;
  if (hooked) g_hook = SetWindowsHookExW(WH_CBT, FindBoxHook, nullptr, GetCurrentThreadId());
  struct Cleanup {
    Withdrawal& w;
    bool hooked;
    ~Cleanup() {
      if (w.timer) KillTimer(nullptr, w.timer);
      g_withdrawals.erase(std::remove(g_withdrawals.begin(), g_withdrawals.end(), &w), g_withdrawals.end());
      if (hooked && g_hook) UnhookWindowsHookEx(std::exchange(g_hook, nullptr));
    }
  } cleanup{w, hooked};
  return ShowMessageBox(text, caption, flags);
}
