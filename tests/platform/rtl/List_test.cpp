#include "platform/rtl/List.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

void* P(intptr_t n) { return reinterpret_cast<void*>(n); }
intptr_t N(void* p) { return reinterpret_cast<intptr_t>(p); }

std::vector<intptr_t> Contents(const TList& list) {
  std::vector<intptr_t> result;
  for (int i = 0; i < list.Count(); ++i) result.push_back(N(list.Items(i)));
  return result;
}

// Records what Notify hears.
class TWatchedList : public TList {
 public:
  std::vector<std::string> Heard;

 protected:
  void Notify(void* item, TListNotification action) override {
    static const char* names[] = {"added", "extracted", "deleted"};
    Heard.push_back(std::string(names[action]) + " " + std::to_string(N(item)));
  }
};

TEST(ListTest, EditingOperations) {
  TWatchedList list;
  for (intptr_t n : {10, 20, 30}) list.Add(P(n));
  list.Insert(0, P(5));
  list.Insert(4, P(40));  // inserting at Count appends
  EXPECT_EQ(Contents(list), (std::vector<intptr_t>{5, 10, 20, 30, 40}));
  list.Delete(1);
  EXPECT_EQ(list.Remove(P(30)), 2);
  EXPECT_EQ(list.Remove(P(99)), -1);
  EXPECT_EQ(list.Extract(P(5)), P(5));
  EXPECT_EQ(list.Extract(P(5)), nullptr);
  EXPECT_EQ(Contents(list), (std::vector<intptr_t>{20, 40}));
  EXPECT_EQ(list.Heard,
            (std::vector<std::string>{"added 10", "added 20", "added 30", "added 5", "added 40",
                                      "deleted 10", "deleted 30", "extracted 5"}));

  list.Heard.clear();
  list.Put(0, P(21));
  list.Put(0, P(21));  // the same item again: nothing happens
  EXPECT_EQ(list.Heard, (std::vector<std::string>{"deleted 20", "added 21"}));
  list.Add(nullptr);  // nil items are stored but not announced
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Heard.size(), 2u);
}

TEST(ListTest, ReorderingOperations) {
  TList list;
  for (intptr_t n : {1, 2, 3, 4, 5}) list.Add(P(n));
  list.Exchange(0, 4);
  EXPECT_EQ(Contents(list), (std::vector<intptr_t>{5, 2, 3, 4, 1}));
  list.Move(0, 3);
  EXPECT_EQ(Contents(list), (std::vector<intptr_t>{2, 3, 4, 5, 1}));
  list.Move(4, 0);
  EXPECT_EQ(Contents(list), (std::vector<intptr_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(N(list.First()), 1);
  EXPECT_EQ(N(list.Last()), 5);
  EXPECT_EQ(list.IndexOf(P(4)), 3);
}

TEST(ListTest, CountCapacityAndPack) {
  TWatchedList list;
  list.Add(P(1));
  list.SetCount(4);  // grows with nil items
  EXPECT_EQ(Contents(list), (std::vector<intptr_t>{1, 0, 0, 0}));
  list.Put(2, P(3));
  list.Pack();
  EXPECT_EQ(Contents(list), (std::vector<intptr_t>{1, 3}));
  list.SetCapacity(100);
  EXPECT_GE(list.Capacity(), 100);
  list.SetCapacity(2);
  EXPECT_EQ(list.Capacity(), 2);
  list.Heard.clear();
  list.SetCount(1);  // shrinking deletes, and says so
  EXPECT_EQ(list.Heard, (std::vector<std::string>{"deleted 3"}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(ListTest, SortIsStableAndTakesAnyComparer) {
  TList list;
  // Tens order the items; units tell equal items apart.
  for (intptr_t n : {31, 12, 33, 11, 22, 32}) list.Add(P(n));
  list.Sort([](void* a, void* b) { return static_cast<int>(N(a) / 10 - N(b) / 10); });
  EXPECT_EQ(Contents(list), (std::vector<intptr_t>{12, 11, 22, 31, 33, 32}));
  // A comparer that is no order at all must not take the sort out of the list.
  for (int i = 0; i < 100; ++i) list.Add(P(i));
  list.Sort([](void*, void*) { return -1; });
  EXPECT_EQ(list.Count(), 106);
}

TEST(ListTest, RangeErrors) {
  TList list;
  list.Add(P(1));
  list.Add(P(2));
  struct Case {
    const char* what;
    std::function<void()> call;
    const char16_t* message;
  };
  const Case cases[] = {
      {"Get(-1)", [&] { list.Get(-1); }, u"List index out of bounds (-1)"},
      {"Get(Count)", [&] { list.Get(2); }, u"List index out of bounds (2)"},
      {"Put", [&] { list.Put(5, P(1)); }, u"List index out of bounds (5)"},
      {"Insert", [&] { list.Insert(3, P(1)); }, u"List index out of bounds (3)"},
      {"Delete", [&] { list.Delete(2); }, u"List index out of bounds (2)"},
      {"Exchange", [&] { list.Exchange(0, 2); }, u"List index out of bounds (2)"},
      {"Move to", [&] { list.Move(0, 7); }, u"List index out of bounds (7)"},
      {"Move from", [&] { list.Move(-3, 1); }, u"List index out of bounds (-3)"},
      {"SetCount", [&] { list.SetCount(-1); }, u"List count out of bounds (-1)"},
      {"SetCapacity", [&] { list.SetCapacity(1); }, u"List capacity out of bounds (1)"},
      {"First of empty", [] { TList().First(); }, u"List index out of bounds (0)"},
      {"Last of empty", [] { TList().Last(); }, u"List index out of bounds (-1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.call();
      ADD_FAILURE() << "no error";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  EXPECT_EQ(Contents(list), (std::vector<intptr_t>{1, 2}));  // nothing changed on the way
}

class TCounted : public TObject {
 public:
  explicit TCounted(int* alive) : FAlive(alive) { ++*FAlive; }
  ~TCounted() override { --*FAlive; }

 private:
  int* FAlive;
};

TEST(ObjectListTest, OwnsItsObjectsUntilExtracted) {
  int alive = 0;
  TCounted* kept;
  {
    TObjectList list;
    for (int i = 0; i < 5; ++i) list.Add(new TCounted(&alive));
    EXPECT_EQ(alive, 5);
    list.Delete(0);
    list.Remove(list.Items(0));
    list.SetItems(0, new TCounted(&alive));  // the replaced object is freed
    EXPECT_EQ(alive, 3);
    kept = static_cast<TCounted*>(list.Extract(list.Last()));
    EXPECT_EQ(alive, 3);
    EXPECT_EQ(list.Count(), 2);
  }
  EXPECT_EQ(alive, 1);  // the list freed what it held, not the extracted object
  delete kept;

  TObjectList borrowed(false);
  TCounted object(&alive);
  borrowed.Add(&object);
  borrowed.Clear();
  EXPECT_EQ(alive, 1);
}

}  // namespace
