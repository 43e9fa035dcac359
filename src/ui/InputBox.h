#pragma once
// The input box: a caption, a prompt, one edit line, OK and Cancel. Like the message boxes, a
// test can answer it in place of a user.
#include <functional>
#include <string>

class TForm;

struct InputBoxRequest {
  std::wstring Caption;
  std::wstring Prompt;
  std::wstring Default;
  int MaxLength;
};
// Returns whether the user confirmed; value then holds the answer.
using InputBoxAnswerer = std::function<bool(const InputBoxRequest& request, std::wstring& value)>;
// Installs an answerer (tests); an empty one shows the real box again.
void SetInputBoxAnswerer(InputBoxAnswerer answerer);

// Asks for one line of at most maxLength characters (or as many as value holds, if more),
// starting from value. True on OK (value is
// the answer); false on Cancel, and when the box or its owner went away meanwhile (value keeps
// what it had). owner may be null: the box then belongs to the application.
bool InputQuery(TForm* owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& value,
                int maxLength = 255);
// The answer, or def when the box was cancelled.
std::wstring InputBox(TForm* owner, const std::wstring& caption, const std::wstring& prompt, const std::wstring& def,
                      int maxLength = 255);
