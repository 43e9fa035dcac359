#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <vector>

#include "ui/Clock.h"
#include "ui/Component.h"

namespace {
// Records the order in which components are freed.
struct Probe : TComponent {
  std::vector<std::wstring>* log;
  Probe(TComponent* owner, const wchar_t* name, std::vector<std::wstring>* l) : TComponent(owner), log(l) {
    SetName(name);
  }
  ~Probe() override { log->push_back(Name()); }
};
}  // namespace

TEST(Component, OwnersFreeTheirComponentsLastFirst) {
  std::vector<std::wstring> freed;
  auto* owner = new Probe(nullptr, L"Owner", &freed);
  new Probe(owner, L"First", &freed);
  auto* second = new Probe(owner, L"Second", &freed);
  new Probe(second, L"Grandchild", &freed);
  auto* third = new Probe(owner, L"first", &freed);
  EXPECT_EQ(owner->FindComponent(L"FIRST"), third) << "case is ignored; the last one wins";
  EXPECT_EQ(owner->FindComponent(L"Grandchild"), nullptr) << "only directly owned components";
  EXPECT_EQ(owner->FindComponent(L""), nullptr);

  delete second;
  EXPECT_EQ(owner->ComponentCount(), 2) << "a component freed on its own leaves its owner's list";
  EXPECT_EQ(owner->FindComponent(L"Second"), nullptr);
  delete owner;
  EXPECT_EQ(freed, (std::vector<std::wstring>{L"Second", L"Grandchild", L"Owner", L"first", L"First"}));
}

TEST(Clock, DateTimesCountDaysFrom1899) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDateTime(2026, 12, 5, 12) - EncodeDateTime(2026, 12, 5), 0.5);

  SYSTEMTIME st;
  DateTimeToSystemTime(EncodeDateTime(2026, 12, 5, 23, 59, 59, 999), st);
  EXPECT_EQ(st.wDay, 5) << "the last millisecond of a day stays in that day";
  EXPECT_EQ(st.wSecond, 59);
  EXPECT_EQ(st.wMilliseconds, 999);

  SetNowOverride(EncodeDateTime(2030, 1, 1));
  EXPECT_EQ(Now(), EncodeDateTime(2030, 1, 1));
  SetNowOverride(std::nullopt);
  GetLocalTime(&st);
  EXPECT_LT(std::fabs(Now() - SystemTimeToDateTime(st)), 1.0 / 86400) << "without an override, the real clock";
}
