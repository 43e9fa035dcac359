#pragma once
// Every message box and confirmation of the program goes through ShowMessageBox, so that a
// test can answer it instead of a user (no test may block on a modal box).
#include <functional>
#include <string>

#include <windows.h>

// Returns the pressed button (IDOK, IDYES, IDNO, ...). Flags are the MessageBoxW flags.
int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
// The same box, taken back as if withdrawnAnswer had been pressed once withdrawn() holds (asked
// a few times a second while the box is up): a question that what happened meanwhile has
// answered does not wait for a person who may not be there.
int ShowWithdrawableMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags,
                               std::function<bool()> withdrawn, int withdrawnAnswer);

struct MessageBoxRequest {
  std::wstring Text;
  std::wstring Caption;
  UINT Flags;
};
using MessageBoxAnswerer = std::function<int(const MessageBoxRequest&)>;

// Installs an answerer (tests); an empty one restores the real message box.
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);
