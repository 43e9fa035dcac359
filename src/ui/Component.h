#pragma once
// Components own what they create: freeing an owner frees its components, and a component
// freed on its own leaves its owner's list. Names are compared without regard to case.
#include <string>
#include <vector>

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

 private:
  std::wstring name_;
  TComponent* owner_;
  std::vector<TComponent*> components_;
  bool destroying_ = false;
};
