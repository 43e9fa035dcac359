#include "ui/MessageBox.h"

namespace {
MessageBoxAnswerer g_answerer;
}

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) { g_answerer = std::move(answerer); }

int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
  if (g_answerer) return g_answerer(MessageBoxRequest{text, caption, flags});
  HWND owner = GetActiveWindow();
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags | MB_TASKMODAL);
}
