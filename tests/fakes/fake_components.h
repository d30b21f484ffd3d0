// Windows and components in memory, for the translation engine's tests.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "i18n/component.h"
#include "platform/text.h"

namespace vandrel::testing {

class FakeComponent final : public Component {
 public:
  FakeComponent(std::string name, ComponentKind kind, std::map<std::string, std::string> properties = {})
      : name_(std::move(name)), kind_(kind), properties_(std::move(properties)) {}
  const std::string& Name() const override { return name_; }
  ComponentKind Kind() const override { return kind_; }
  bool HasProperty(std::string_view property) const override { return properties_.contains(std::string(property)); }
  std::string GetProperty(std::string_view property) const override {
    const auto it = properties_.find(std::string(property));
    return it == properties_.end() ? "" : it->second;
  }
  void SetProperty(std::string_view property, const std::string& value) override {
    if (refuse_writes) throw std::runtime_error("the property refuses the value");
    properties_[std::string(property)] = value;
  }
  std::vector<std::string> GetStrings(std::string_view list) const override {
    const auto it = lists.find(std::string(list));
    return it == lists.end() ? std::vector<std::string>{} : it->second;
  }
  void SetString(std::string_view list, std::size_t index, const std::string& value) override {
    lists[std::string(list)].at(index) = value;
  }
  Component* AttachedLabel() override { return label.get(); }

  std::map<std::string, std::vector<std::string>> lists;  // "Columns", "Tabs", "Items"
  std::unique_ptr<FakeComponent> label;                   // of a labelled edit box
  bool refuse_writes = false;

 private:
  std::string name_;
  ComponentKind kind_;
  std::map<std::string, std::string> properties_;
};

class FakeWindow final : public ComponentOwner {
 public:
  explicit FakeWindow(std::string name, std::string caption = "")
      : self_(std::move(name), ComponentKind::kForm, {{"Caption", std::move(caption)}}) {}
  FakeComponent& Add(std::string name, ComponentKind kind, std::map<std::string, std::string> properties = {}) {
    components_.push_back(std::make_unique<FakeComponent>(std::move(name), kind, std::move(properties)));
    return *components_.back();
  }
  Component& Self() override { return self_; }
  FakeComponent& self() { return self_; }
  std::vector<Component*> Components() override {
    std::vector<Component*> out;
    for (auto& c : components_) out.push_back(c.get());
    return out;
  }
  Component* FindComponent(std::string_view name) override {
    for (auto& c : components_)
      if (EqualsNoCase(c->Name(), name)) return c.get();
    return nullptr;
  }

 private:
  FakeComponent self_;
  std::vector<std::unique_ptr<FakeComponent>> components_;
};

}  // namespace vandrel::testing
