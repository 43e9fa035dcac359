// Which events the program announces on a given day, and with how many years.
#include "EventsTestEnv.h"

namespace eventstest {
namespace {

enum Listed { None, InToday, InTomorrow };

struct RuleRow {
  int EventY, EventM, EventD;
  int NowY, NowM, NowD;
  Listed Expected;
  int Years;
};

// Seen at 9:00, so that an event of the current day is not later than "now".
const RuleRow kRows[] = {
    {1990, 5, 10, 2026, 5, 10, InToday, 36},
    {1990, 5, 10, 2026, 5, 9, InTomorrow, 36},
    {1990, 5, 10, 2026, 5, 11, None, 36},
    // Around the turn of the year.
    {2020, 1, 1, 2026, 12, 31, None, 6},
    {2027, 1, 1, 2026, 12, 31, InTomorrow, -1},
    {2020, 12, 31, 2026, 12, 31, InToday, 6},
    {2020, 1, 1, 2027, 1, 1, InToday, 7},
    // Dated later than today: placed in next year.
    {2027, 6, 15, 2026, 6, 14, None, -1},
    {2026, 6, 15, 2026, 6, 14, None, 0},
    {2026, 6, 15, 2026, 6, 15, InToday, 0},
    // 29 February: on the day in a leap year, on 28 February in every other year.
    {1996, 2, 29, 2028, 2, 29, InToday, 32},
    {1996, 2, 29, 2028, 2, 28, InTomorrow, 32},
    {1996, 2, 29, 2029, 2, 28, InToday, 33},
    {1996, 2, 29, 2029, 2, 27, InTomorrow, 33},
    {1996, 2, 29, 2030, 2, 28, InToday, 34},
    {1996, 2, 29, 2030, 2, 27, InTomorrow, 34},
    {1996, 2, 29, 2031, 2, 28, InToday, 35},
    {1996, 2, 29, 2100, 2, 28, InToday, 104},
    {1996, 2, 29, 2100, 2, 27, InTomorrow, 104},
    {1996, 2, 29, 2030, 3, 1, None, 34},
    {1996, 2, 29, 2030, 2, 26, None, 34},
};

TEST_F(EventsTest, YearlyRuleListsEachEventOnItsDayAndTheDayBefore) {
  for (const RuleRow& r : kRows) {
    SCOPED_TRACE(testing::Message() << r.EventY << "-" << r.EventM << "-" << r.EventD << " seen on " << r.NowY << "-"
                                    << r.NowM << "-" << r.NowD);
    SetNowOverride(EncodeDateTime(r.NowY, r.NowM, r.NowD, 9));
    TMyEventsmanager m;
    auto* e = new TMYEvent;
    e->Text = L"event";
    e->Date = Day(r.EventY, r.EventM, r.EventD);
    m.Events.Add(e);
    EXPECT_EQ(m.Classify(true), r.Expected != None);
    EXPECT_EQ(m.Today.Count(), r.Expected == InToday ? 1 : 0);
    EXPECT_EQ(m.Tomorrow.Count(), r.Expected == InTomorrow ? 1 : 0);
    EXPECT_EQ(e->YearsSince(), r.Years);
  }
}

TEST_F(EventsTest, EventsOfOneDayKeepTheirOrderAndTheLeapDayJoinsTheLastOfFebruary) {
  SetNow(2029, 2, 28, 9);
  TMyEventsmanager m;
  for (auto [text, date] : {std::pair{L"a", Day(2000, 2, 28)}, {L"leap", Day(1996, 2, 29)}, {L"none", Day(2001, 3, 5)},
                            {L"b", Day(1980, 2, 28)}, {L"next", Day(1970, 3, 1)}}) {
    auto* e = new TMYEvent;
    e->Text = text, e->Date = date;
    m.Events.Add(e);
  }
  EXPECT_TRUE(m.Classify(true));
  EXPECT_EQ(Texts(m.Today), (std::vector<std::wstring>{L"a", L"leap", L"b"}));
  EXPECT_EQ(Texts(m.Tomorrow), (std::vector<std::wstring>{L"next"}));
}

TEST_F(EventsTest, ClassifyWithoutRebuildOnlyTellsWhetherAListHoldsAnEvent) {
  TMyEventsmanager m;
  EXPECT_FALSE(m.Classify(false));
  EXPECT_FALSE(m.Classify(true));
  EXPECT_EQ(m.Today.Count() + m.Tomorrow.Count() + m.Incoming.Count(), 0);
  auto* e = new TMYEvent;  // today's date
  m.Events.Add(e);
  EXPECT_FALSE(m.Classify(false)) << "without a rebuild nothing is sorted into the lists";
  m.Incoming.Add(e);
  EXPECT_TRUE(m.Classify(false));
}

TEST_F(EventsTest, ADeletedEventLeavesEveryList) {
  SetNow(2026, 5, 10, 9);
  TMyEventsmanager m;
  for (auto [text, date] : {std::pair{L"today", Day(1990, 5, 10)}, {L"tomorrow", Day(1990, 5, 11)}, {L"also", Day(1991, 5, 10)}}) {
    auto* e = new TMYEvent;
    e->Text = text, e->Date = date;
    m.Events.Add(e);
  }
  m.Classify(true);
  m.Incoming.Add(m.Events.GetItem(0));
  m.DeleteEvent(0);
  m.DeleteEvent(0);
  EXPECT_EQ(Texts(m.Events), (std::vector<std::wstring>{L"also"}));
  EXPECT_EQ(Texts(m.Today), (std::vector<std::wstring>{L"also"}));
  EXPECT_EQ(m.Tomorrow.Count() + m.Incoming.Count(), 0);
}

TEST_F(EventsTest, ANewEventIsDatedTodayAtMidnight) {
  SetNow(2026, 5, 10, 15);
  TMYEvent e;
  EXPECT_EQ(e.Date, Day(2026, 5, 10));
  EXPECT_TRUE(e.Text.empty());
}

}  // namespace
}  // namespace eventstest

namespace eventstest {
namespace {

TEST_F(EventsTest, AnEventAddedTodayIsTodaysAtTheNextStartOfTheSameDay) {
  SetNow(2026, 5, 10, 15);
  editor.Text = L"new";
  ASSERT_TRUE(Load()->AddEvent());
  SetNow(2026, 5, 10, 18);
  auto m = Load();
  EXPECT_TRUE(m->Classify(true));
  EXPECT_EQ(Texts(m->Today), (std::vector<std::wstring>{L"new"}));
  EXPECT_EQ(m->Today.GetItem(0)->YearsSince(), 0);
}

}  // namespace
}  // namespace eventstest
