#pragma once
// What every window calls to translate itself: it selects the window's section of the language
// file, looks texts up by key and sets the caption and hint of one control at a time. A
// control's caption is looked up under its component name, its hint under the component name
// followed by "_HINT"; window titles and message texts use fixed keys beginning with "_".
//
// Nothing walks a window's controls: each window names the controls it translates, so a
// control that is not named keeps its design text.
#include <string>

#include "language/VxMultiLanguageEngine.h"

class TControl;
class TButton;
class TCheckBox;
class TTabSheet;
class TGroupBox;
class TLabel;
class TAction;
class TActionList;
class TMenuItem;

// Appended to a component name to make the key of its hint.
inline constexpr wchar_t kHintKeySuffix[] = L"_HINT";
// The section of the texts that all windows share (OK, Cancel, ...), so a file holds them once.
inline constexpr wchar_t kGenericSection[] = L"Vantaro_Generic";

class TVxMultiLanguageSTDWrp {
 public:
  // Throws ELanguageError "Invalid Engine" when engine is null. The engine is not owned: the
  // wrapper is freed before it.
  explicit TVxMultiLanguageSTDWrp(TVxMultiLanguage* engine);
  TVxMultiLanguageSTDWrp(const TVxMultiLanguageSTDWrp&) = delete;
  TVxMultiLanguageSTDWrp& operator=(const TVxMultiLanguageSTDWrp&) = delete;

  // The section "LNG_" + Name becomes the current one.
  void SetSection(const std::wstring& name);
  std::wstring GetString(const std::wstring& key, const std::wstring& defaultText);

  // Caption and hint. For these three a control that shows its hint gets it looked up even when
  // it is empty (so translator mode records it).
  void TranslateCheckBox(TCheckBox* control);
  void TranslateTabSheet(TTabSheet* control);
  void TranslateButton(TButton* control);
  // Caption and hint through the action itself, so every linked menu item and button follows.
  void TranslateAction(TAction* action);
  // The item only; its sub-items are left to their own calls.
  void TranslateMenuItem(TMenuItem* item);
  // Caption only.
  void TranslateGroupBox(TGroupBox* control);
  void TranslateLabel(TLabel* control);
  // Every action of the list, in order.
  void TranslateActionList(TActionList* list);

  TVxMultiLanguage* Engine() const { return FEngine; }

 private:
  // Whether the hint of a component is to be looked up: always when it has a hint (or shows
  // one); otherwise only when the file has its "_HINT" key, which keeps translator mode from
  // filling the file with hints nobody asked for.
  bool WantsHint(const std::wstring& name, const std::wstring& hint, bool showHint) const;
  void TranslateControl(TControl* control, bool withHint);

  TVxMultiLanguage* FEngine;
};

// The one wrapper of the process, over LanguageEngine; made by InitLanguageEngine and freed by
// DoneLanguageEngine (before the engine).
extern TVxMultiLanguageSTDWrp* LanguageWrapper;
