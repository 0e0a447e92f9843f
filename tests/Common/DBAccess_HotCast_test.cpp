#include <gtest/gtest.h>

#include <memory>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "Common/DBAccess_HotCast.h"

namespace {

struct Base {
  virtual ~Base() = default;
};
// A second base ahead of Base, so a cast down moves the address.
struct Extra {
  virtual ~Extra() = default;
  int Padding = 0;
};
struct Target : Extra, Base {};
struct Other : Base {};
// More classes than the cast remembers answers for, half of them targets: every answer is
// forgotten and found again while the sequence repeats.
template <int N>
struct Kind : std::conditional_t<N % 2 == 0, Target, Other> {};

template <int... N>
void AddKinds(std::vector<std::unique_ptr<Base>>& objects, std::integer_sequence<int, N...>) {
  (objects.push_back(std::make_unique<Kind<N>>()), ...);
}

// The remembered answers stay those of the full cast, with the address it gives, whichever
// classes come in between and in whatever order.
TEST(HotCast, GivesTheFullCastsAnswerForEveryClass) {
  std::vector<std::unique_ptr<Base>> objects;
  objects.push_back(std::make_unique<Target>());
  objects.push_back(std::make_unique<Other>());
  objects.push_back(std::make_unique<Base>());
  AddKinds(objects, std::make_integer_sequence<int, 13>{});
  std::vector<Base*> order;
  for (int round = 0; round < 4; ++round)
    for (size_t i = 0; i < objects.size(); ++i) {
      // Forwards, backwards, and the same class twice in a row.
      size_t at = round % 2 == 0 ? i : objects.size() - 1 - i;
      order.push_back(objects[at].get());
      if (round == 3) order.push_back(objects[at].get());
    }
  int converted = 0;
  for (Base* object : order) {
    Target* expected = dynamic_cast<Target*>(object);
    ASSERT_EQ(HotCast<Target>(object), expected) << typeid(*object).name();
    if (expected != nullptr) {
      EXPECT_NE(static_cast<void*>(expected), static_cast<void*>(object));
      ++converted;
    }
  }
  EXPECT_GT(converted, 0);
  EXPECT_EQ(HotCast<Target>(static_cast<Base*>(nullptr)), nullptr);
}

}  // namespace
