#include <gtest/gtest.h>

#include <vector>

#include "media/core/module_state.h"
#include "media/core/registry.h"

namespace {

struct Entry {
  explicit Entry(int id) : id(id) {}
  int id;
  Entry* _succ = nullptr;
};

// The ids from the head to the end of the list; gives up (with a marker) after
// more steps than entries exist, so a list closed into a loop fails the test
// instead of hanging it.
std::vector<int> Ids(const core::Registry<Entry>& list) {
  std::vector<int> ids;
  for (Entry* e : list) {
    if (ids.size() > 10) {
      ids.push_back(-1);
      break;
    }
    ids.push_back(e->id);
  }
  return ids;
}

}  // namespace

TEST(Registry, NewEntriesGoToTheFrontAndAreTriedNewestFirst) {
  Entry a(1), b(2), c(3);
  core::Registry<Entry> list;
  EXPECT_EQ(list.Head(), nullptr);
  EXPECT_TRUE(Ids(list).empty());
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  EXPECT_EQ(list.Head(), &c);
  EXPECT_EQ(Ids(list), (std::vector<int>{3, 2, 1}));
  // The links are the entries' own: the chain can be walked without the list.
  EXPECT_EQ(c._succ, &b);
  EXPECT_EQ(b._succ, &a);
  EXPECT_EQ(a._succ, nullptr);
  EXPECT_EQ(list.Find([](const Entry& e) { return e.id < 3; }), &b) << "the newest match wins";
  EXPECT_EQ(list.Find([](const Entry& e) { return e.id > 3; }), nullptr);
}

TEST(Registry, AddingAnEntryTwiceMovesItToTheFrontWithoutALoop) {
  Entry a(1), b(2), c(3);
  core::Registry<Entry> list;
  for (Entry* e : {&a, &b, &c}) list.Add(e);
  list.Add(&a);  // from the end
  EXPECT_EQ(Ids(list), (std::vector<int>{1, 3, 2}));
  list.Add(&c);  // from the middle
  EXPECT_EQ(Ids(list), (std::vector<int>{3, 1, 2}));
  list.Add(&c);  // already at the front
  EXPECT_EQ(Ids(list), (std::vector<int>{3, 1, 2}));
}

TEST(Registry, RemovingTakesOutOnlyThatEntryFromAnyPlace) {
  Entry a(1), b(2), c(3), d(4), stranger(9);
  core::Registry<Entry> list;
  for (Entry* e : {&a, &b, &c, &d}) list.Add(e);
  list.Remove(&c);  // middle
  EXPECT_EQ(Ids(list), (std::vector<int>{4, 2, 1}));
  EXPECT_FALSE(list.Contains(&c));
  list.Remove(&d);  // head
  EXPECT_EQ(Ids(list), (std::vector<int>{2, 1}));
  list.Remove(&a);  // last
  EXPECT_EQ(Ids(list), (std::vector<int>{2}));
  list.Remove(&stranger);  // not in the list
  list.Remove(nullptr);
  EXPECT_EQ(Ids(list), (std::vector<int>{2}));
  EXPECT_TRUE(list.Contains(&b));
  // A removed entry can come back.
  list.Add(&c);
  EXPECT_EQ(Ids(list), (std::vector<int>{3, 2}));
  list.Remove(&b);
  list.Remove(&c);
  EXPECT_EQ(list.Head(), nullptr);
}

namespace {

struct Counter {
  int value = 0;
};
struct OtherCounter {
  int value = 0;
};

}  // namespace

TEST(ModuleState, OneObjectPerStateTypeForTheWholeRun) {
  Counter& first = core::ModuleState<Counter>();
  first.value = 41;
  ++core::ModuleState<Counter>().value;
  EXPECT_EQ(&core::ModuleState<Counter>(), &first);
  EXPECT_EQ(core::ModuleState<Counter>().value, 42);
  EXPECT_EQ(core::ModuleState<OtherCounter>().value, 0) << "another module's state is another object";
}
