#include "ui/UpDown.h"

#include <commctrl.h>

#include <algorithm>

TUpDown::TUpDown(TComponent* owner, const std::wstring& name)
    // UDS_ARROWKEYS: Up and Down in the buddy step too.
    : TStdControl(owner, UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS) {
  SetName(name);
  SetBounds(0, 0, 17, 21);
}

void TUpDown::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  position_ = std::clamp(position_, std::min(min, max), std::max(min, max));
  if (HWND h = HandleIfAllocated()) SendMessageW(h, UDM_SETRANGE32, min, max);
}

int TUpDown::Position() const {
  if (HWND h = HandleIfAllocated()) {
    BOOL failed = FALSE;
    int v = static_cast<int>(SendMessageW(h, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
    // A buddy text that is no number keeps the last good position.
    return failed ? position_ : v;
  }
  return position_;
}

void TUpDown::SetPosition(int value) {
  position_ = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
  if (HWND h = HandleIfAllocated()) SendMessageW(h, UDM_SETPOS32, 0, position_);
}

void TUpDown::SetAssociate(TWinControl* edit) {
  associate_ = edit;
  if (edit) {
    if (edit->Parent() && Parent() != edit->Parent()) SetParent(edit->Parent());
    SetBounds(edit->Left() + edit->Width(), edit->Top(), Width(), edit->Height());
  }
  if (HWND h = HandleIfAllocated()) {
    SendMessageW(h, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit ? edit->Handle() : nullptr), 0);
    SendMessageW(h, UDM_SETPOS32, 0, position_);
  }
}

void TUpDown::HandleCreated() {
  HWND h = HandleIfAllocated();
  SendMessageW(h, UDM_SETRANGE32, min_, max_);
  UDACCEL accel{0, static_cast<UINT>(std::max(Increment, 1))};
  SendMessageW(h, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  if (associate_) SendMessageW(h, UDM_SETBUDDY, reinterpret_cast<WPARAM>(associate_->Handle()), 0);
  SendMessageW(h, UDM_SETPOS32, 0, position_);
}

bool TUpDown::Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lp)->code == static_cast<UINT>(UDN_DELTAPOS)) {
    auto* delta = reinterpret_cast<const NMUPDOWN*>(lp);
    bool allow = true;
    if (OnChanging) {
      int next = std::clamp(delta->iPos + delta->iDelta, std::min(min_, max_), std::max(min_, max_));
      OnChanging(this, next, allow);
    }
    result = allow ? 0 : 1;  // non-zero keeps the position
    return true;
  }
  if ((msg == WM_VSCROLL || msg == WM_HSCROLL) && LOWORD(wp) == SB_THUMBPOSITION) {
    // Read back: the message's 16-bit position does not hold every range.
    position_ = Position();
    if (OnChange) OnChange(this);
    result = 0;
    return true;
  }
  return false;
}
