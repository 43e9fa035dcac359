#pragma once
// An icon in the notification area, shown while Active.
#include <windows.h>

#include <string>

#include "ui/Component.h"

class TTrayIcon : public TComponent {
 public:
  TTrayIcon(TComponent* owner, HWND window, UINT callbackMessage);
  ~TTrayIcon() override;
  bool Active() const { return active_; }
  void SetActive(bool active);
  void SetHint(const std::wstring& hint);
  HICON Icon = nullptr;

 private:
  bool Notify(DWORD what);
  HWND window_;
  UINT callback_;
  std::wstring hint_;
  bool active_ = false;
};
