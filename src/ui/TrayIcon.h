#pragma once
// An icon in the notification area, shown while Active. It has a small hidden window of its
// own for the shell's callback messages: a click, a double-click and the right button (which
// opens PopupMenu). When the taskbar comes back (Explorer restarted), the icon is added again.
#include <windows.h>

#include <string>

#include "ui/Controls.h"

class TPopupMenu;

class TTrayIcon : public TComponent {
 public:
  explicit TTrayIcon(TComponent* owner, const std::wstring& name = {});
  ~TTrayIcon() override;
  bool Active() const { return active_; }
  // Adds or deletes the icon; returns whether the shell took the request.
  bool SetActive(bool active);
  const std::wstring& Hint() const { return hint_; }
  void SetHint(const std::wstring& hint);
  // The icon is not owned; null shows the program's icon.
  HICON Icon() const { return icon_; }
  void SetIcon(HICON icon);
  TPopupMenu* PopupMenu = nullptr;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

  // The window the shell sends the callback messages to, and their message.
  HWND Handle() const { return hwnd_; }
  static constexpr UINT CallbackMessage = WM_APP + 0x301;
  static constexpr UINT IconId = 1;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  bool Notify(DWORD what);
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  std::wstring hint_;
  bool active_ = false;
};
