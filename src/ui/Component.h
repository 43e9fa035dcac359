#pragma once
// Components own what they create: freeing an owner frees its components, and a component
// freed on its own leaves its owner's list. Names are compared without regard to case.
#include <memory>
#include <string>
#include <vector>

// Whether a component still exists. Code that ran the message loop (a modal dialog, a menu, a
// message box, ProcessMessages) checks it before touching the component again.
class TLifeCheck {
 public:
  TLifeCheck() = default;
  explicit TLifeCheck(std::shared_ptr<const bool> flag) : flag_(std::move(flag)) {}
  explicit operator bool() const { return flag_ && *flag_; }

 private:
  std::shared_ptr<const bool> flag_;
};

class TComponent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::wstring& Name() const { return name_; }
  void SetName(const std::wstring& name) { name_ = name; }
  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* FindComponent(const std::wstring& name) const;
  int Tag = 0;
  TLifeCheck Watch();

 private:
  std::shared_ptr<bool> alive_;  // made on the first Watch
  std::wstring name_;
  TComponent* owner_;
  std::vector<TComponent*> components_;
  bool destroying_ = false;
};
