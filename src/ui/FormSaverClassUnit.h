#pragma once
// Keeps a window's position, size and maximised state in the registry between runs.
#include <cstdint>
#include <string>

class TForm;

class TFormSaver {
 public:
  // Unbound: the caller captures and applies itself.
  TFormSaver() = default;
  // Bound: saving captures the window first and loading applies what was read.
  explicit TFormSaver(TForm* form) : Form(form) {}

  TForm* Form = nullptr;
  std::int32_t X = 0, Y = 0, W = 0, H = 0;
  bool Maximized = false;

  // A maximised window keeps the restored placement from before; a minimised one changes nothing.
  void Capture(TForm* form);
  // Only a plausible placement is applied: its top-left corner on the primary screen (from 1,
  // never 0) and a size of at least one pixel each way.
  void Apply(TForm* form);
  // Key under HKEY_CURRENT_USER, created when missing.
  void SaveToRegistry(const std::wstring& key);
  // Whether key existed. A value that is missing or not a number leaves the window where it
  // would have opened anyway.
  bool LoadFromRegistry(const std::wstring& key);

 private:
  bool Plausible() const;
};
