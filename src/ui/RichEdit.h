#pragma once
// The system's rich-edit control (version 2.0, else 1.0) holding RTF.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <richedit.h>

#include "ui/StdCtrls.h"

struct TTextAttributes {
  std::wstring Name;
  int Size = 0;  // points
  TColor Color = clBlack;
  TFontStyles Style = 0;
};

class TRichEdit : public TStdControl {
 public:
  explicit TRichEdit(TComponent* owner, const std::wstring& name = {});

  // The character format of text without explicit formatting; set it before loading text,
  // or plain text comes back in the control's own default (a bold system font).
  void SetDefaultFormat(const TFont& font);

  // RTF in and out. Bytes that are not RTF load as plain 8-bit text.
  void LoadFromBytes(const std::vector<std::uint8_t>& bytes);
  std::vector<std::uint8_t> SaveToBytes();
  std::wstring Text() const;  // paragraphs end in CR LF
  // An edit like a typed one: the control counts as modified.
  void SetText(const std::wstring& text);
  void Clear();

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  // Set by every edit (each change of the text, and the changes made through the members
  // below: the control's own flag misses an undo); cleared by loading.
  bool Modified() const;
  void SetModified(bool on);

  TTextAttributes SelAttributes() const;
  // Formatting changes count as edits (Modified).
  void SetSelAttributes(const TTextAttributes& attributes);  // name, size, colour and style
  void SetSelStyle(TFontStyles style);
  bool CanUndo() const;
  void Undo();
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  void ClearSelection();
  void SelectAll();
  CHARRANGE Selection() const;
  void SetSelection(int start, int end);
  // The point of the text shown at the top left (EM_GETSCROLLPOS, EM_SETSCROLLPOS).
  POINT ScrollPosition() const;
  void SetScrollPosition(POINT position);

  void SetColor(TColor color) override;

  TNotifyEvent OnChange;
  // A click on a web address in the text.
  std::function<void(TComponent* sender, const std::wstring& url, TMouseButton button)> OnURLClick;

  // Whether version 2.0 is in use (else 1.0).
  static bool Version2();

 protected:
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void HandleCreated() override;

 private:
  bool readOnly_ = false;
  bool changed_ = false;  // an edit since the last SetModified(false)
  std::vector<std::uint8_t> pending_;  // text loaded before the window exists
};

// The plain text (paragraphs ending in CR LF) that the rich-edit control shows for some RTF.
std::wstring RichTextToPlainText(const std::vector<std::uint8_t>& bytes);
