#pragma once
// A web-address style label: underlined text in the link colour under a hand cursor. A click
// runs OnClick (or the linked action) when there is one, else opens the address.
#include <functional>
#include <string>

#include "ui/Controls.h"

// The system's colour for hot-tracked items and links.
inline constexpr TColor clHotLight = 0x80000000u | COLOR_HOTLIGHT;
// The link blue of the standard colour scheme. Labels take it by default: some schemes make
// the system's hot-light colour nearly white.
inline constexpr TColor kLinkBlue = 0xCC6600;

class TLinkLabel : public TGraphicControl {
 public:
  explicit TLinkLabel(TComponent* owner, const std::wstring& name = {});

  std::wstring URL;
  TColor LinkColor = kLinkBlue;
  // Sizes the label to its text whenever the caption changes.
  bool AutoSize = true;
  // Opens the address; without a handler the shell opens it with the user's browser.
  std::function<void(const std::wstring& url)> OnOpen;

  void SetCaption(const std::wstring& caption) override;
  void Click() override;
  void Paint(TCanvas& canvas) override;

 private:
  void LinkFont(TFont& font);
};
