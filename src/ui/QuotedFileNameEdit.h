#pragma once
// A file-name edit whose text reads like the start of a command line: the file name is the whole
// text when a file of that name exists, and otherwise its first word, a part in double quotes
// counting as one word without its quotes. A name handed to it is shown as it is, quoted when it
// holds a blank, and refused when what it reduces to holds < > " [ ] or |.
#include <string>

#include "ui/FileNameEdit.h"

// The file name a text stands for, by the rule above.
std::wstring ReduceQuotedFileName(const std::wstring& text);
// Whether the edit takes the name: the empty name, or one whose reduced form holds none of
// the refused characters.
bool IsAcceptedQuotedFileName(const std::wstring& name);

class TQuotedFileNameEdit : public TFileNameEdit {
 public:
  using TFileNameEdit::TFileNameEdit;
  std::wstring FileName() const override { return ReduceQuotedFileName(Text()); }
  // Throws EInvalidFileName, and keeps the text, for a name the edit refuses.
  void SetFileName(const std::wstring& name) override;
};
