#include "ui/Component.h"

#include <algorithm>

#include "ui/Types.h"

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  if (alive_) *alive_ = false;
  destroying_ = true;
  // Free owned components last-first, as they were created.
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    c->owner_ = nullptr;
    delete c;
  }
  if (owner_ && !owner_->destroying_) {
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

TComponent* TComponent::FindComponent(const std::wstring& name) const {
  if (name.empty()) return nullptr;
  for (auto it = components_.rbegin(); it != components_.rend(); ++it)
    if (SameText((*it)->Name(), name)) return *it;
  return nullptr;
}

TLifeCheck TComponent::Watch() {
  if (!alive_) alive_ = std::make_shared<bool>(true);
  return TLifeCheck(alive_);
}
