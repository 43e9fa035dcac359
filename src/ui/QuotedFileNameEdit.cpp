#include "ui/QuotedFileNameEdit.h"

#include "ui/Paths.h"

std::wstring ReduceQuotedFileName(const std::wstring& text) {
  if (text.empty() || FileExists(text)) return text;
  size_t i = 0;
  while (i < text.size() && text[i] == L' ') ++i;
  std::wstring word;
  bool quoted = false;
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'"') {
      quoted = !quoted;
      continue;
    }
    if (c == L' ' && !quoted) break;
    word.push_back(c);
  }
  return word;
}

bool IsAcceptedQuotedFileName(const std::wstring& name) {
  return ReduceQuotedFileName(name).find_first_of(L"<>\"[]|") == std::wstring::npos;
}

void TQuotedFileNameEdit::SetFileName(const std::wstring& name) {
  if (!IsAcceptedQuotedFileName(name)) throw EInvalidFileName(name);
  // Quoted, a name with blanks reads back whole even when its file does not exist (yet).
  const bool quote = name.find(L' ') != std::wstring::npos && (name.empty() || name[0] != L'"');
  SetText(quote ? L"\"" + name + L"\"" : name);
}
