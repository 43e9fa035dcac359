#pragma once
// Every message box and confirmation of the program goes through ShowMessageBox, so that a
// test can answer it instead of a user (no test may block on a modal box), and so that the
// program's end waits for no box that nobody may be there to close.
#include <functional>
#include <string>

#include <windows.h>

struct MessageBoxRequest {
  std::wstring Text;
  std::wstring Caption;
  UINT Flags;
};

// Returns the pressed button (IDOK, IDYES, IDNO, ...). Flags are the MessageBoxW flags.
int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
// The question that ending the program asks itself (a document that cannot be saved): shown even
// while the program ends and never taken back for it, but taken back as if withdrawnAnswer had
// been pressed once withdrawn() holds (asked a few times a second while the box is up): a question
// that what happened meanwhile has answered does not wait for a person who may not be there.
int ShowWithdrawableMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags,
                               std::function<bool()> withdrawn, int withdrawnAnswer);

// The program is ending (a close request, Exit, the end of the session): nobody may be there to
// answer. Every box that is up, but for the end's own questions above, is taken back at once: one
// that only informs (OK alone) as if OK had been pressed, a question with the answer that changes
// nothing (No, or Cancel). Until CancelEnding, such a box is not shown at all and gets that answer
// at once, a modal form ends as cancelled and a pop-up menu closes. What each of these boxes had
// to say goes to the hook below, since nobody read it.
void BeginEnding();
// The user chose to stay (Cancel to the end's own question), or a new run starts.
void CancelEnding();
bool Ending();
// Receives each box that the end took back or kept from showing.
void SetUnseenMessageBoxHook(std::function<void(const MessageBoxRequest&)> hook);

using MessageBoxAnswerer = std::function<int(const MessageBoxRequest&)>;

// Installs an answerer (tests); an empty one restores the real message box.
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);
