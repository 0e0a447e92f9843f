#include "platform/rtl/Component.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/List.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// What the probes saw, in order: "<receiver> <insert|remove> <subject>" and "~<name>".
using TLog = std::vector<std::string>;

class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, const char* name, TLog* log) : TComponent(owner), FLog(log) {
    SetName(S(name));
  }
  ~TProbe() override {
    if (FLog) FLog->push_back("~" + UTF8Encode(Name()));
    if (OnDestroy) OnDestroy(this);
  }

  // A reference to another component that must never dangle.
  TComponent* Link = nullptr;
  int LoadedCalls = 0;
  std::function<void(TProbe*)> OnDestroy;

  using TComponent::SetDesigning;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (FLog)
      FLog->push_back(UTF8Encode(Name()) + (operation == opInsert ? " insert " : " remove ") +
                      UTF8Encode(component->Name()));
    if (operation == opRemove && component == Link) Link = nullptr;
  }
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCalls;
  }

 private:
  TLog* FLog;
};

int CountOf(const TLog& log, const std::string& entry) {
  return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

TEST(ComponentTest, OwnerDeletesItsComponentsLastFirst) {
  TLog log;
  auto* owner = new TProbe(nullptr, "Owner", &log);
  new TProbe(owner, "A", &log);
  auto* b = new TProbe(owner, "B", &log);
  new TProbe(b, "Inner", &log);
  new TProbe(owner, "C", &log);
  ASSERT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(owner->Components(1), b);
  EXPECT_EQ(b->Owner(), owner);

  log.clear();
  owner->Free();
  TLog deaths;
  for (auto& entry : log)
    if (entry[0] == '~') deaths.push_back(entry);
  // The owner's own destructor body runs first, then the base deletes C, B (whose base then
  // deletes Inner), A.
  EXPECT_EQ(deaths, (TLog{"~Owner", "~C", "~B", "~Inner", "~A"}));
}

TEST(ComponentTest, ComponentDeletedFirstLeavesItsOwnersListAndSiblingsHear) {
  TLog log;
  auto owner = std::make_unique<TProbe>(nullptr, "Owner", &log);
  auto* a = new TProbe(owner.get(), "A", &log);
  auto* b = new TProbe(owner.get(), "B", &log);
  log.clear();
  auto* c = new TProbe(owner.get(), "C", &log);
  // An insert is announced to the owner and its components (C gets its name only afterwards).
  EXPECT_EQ(CountOf(log, "Owner insert "), 1);
  EXPECT_EQ(CountOf(log, "A insert "), 1);
  EXPECT_EQ(CountOf(log, "B insert "), 1);

  log.clear();
  delete b;
  ASSERT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components(0), a);
  EXPECT_EQ(owner->Components(1), c);
  EXPECT_EQ(owner->FindComponent(u"B"), nullptr);
  EXPECT_EQ(CountOf(log, "A remove B"), 1);
  EXPECT_EQ(CountOf(log, "C remove B"), 1);
  EXPECT_EQ(CountOf(log, "Owner remove B"), 1);
}

TEST(ComponentTest, FreeNotificationReachesTheHolderWhicheverGoesFirst) {
  TLog log;
  // The watched component goes first: the holder's reference is cleared.
  auto* holder = new TProbe(nullptr, "Holder", &log);
  auto* watched = new TProbe(nullptr, "Watched", &log);
  holder->Link = watched;
  watched->FreeNotification(holder);
  EXPECT_TRUE(watched->ComponentState().Contains(csFreeNotification));
  delete watched;
  EXPECT_EQ(holder->Link, nullptr);
  EXPECT_EQ(CountOf(log, "Holder remove Watched"), 1);
  EXPECT_FALSE(holder->ComponentState().Contains(csFreeNotification));
  delete holder;

  // The holder goes first: the watched component forgets it and later tells no one (ASan
  // would report a use after free if it still held the pointer).
  log.clear();
  holder = new TProbe(nullptr, "Holder", &log);
  watched = new TProbe(nullptr, "Watched", &log);
  holder->Link = watched;
  watched->FreeNotification(holder);
  delete holder;
  EXPECT_EQ(CountOf(log, "Watched remove Holder"), 1);
  EXPECT_FALSE(watched->ComponentState().Contains(csFreeNotification));
  delete watched;
}

TEST(ComponentTest, FreeNotificationBetweenSiblingsArrivesOnce) {
  TLog log;
  auto owner = std::make_unique<TProbe>(nullptr, "Owner", &log);
  auto* holder = new TProbe(owner.get(), "Holder", &log);
  auto* watched = new TProbe(owner.get(), "Watched", &log);
  holder->Link = watched;
  watched->FreeNotification(holder);
  delete watched;
  EXPECT_EQ(holder->Link, nullptr);
  EXPECT_EQ(CountOf(log, "Holder remove Watched"), 1);
}

TEST(ComponentTest, FreeNotificationSurvivesAChangeOfOwner) {
  TLog log;
  auto first = std::make_unique<TProbe>(nullptr, "First", &log);
  auto second = std::make_unique<TProbe>(nullptr, "Second", &log);
  auto* holder = new TProbe(first.get(), "Holder", &log);
  auto* watched = new TProbe(first.get(), "Watched", &log);
  holder->Link = watched;
  watched->FreeNotification(holder);
  second->InsertComponent(watched);
  EXPECT_EQ(first->ComponentCount(), 1);
  second.reset();  // deletes Watched, now in another owner's tree than Holder
  EXPECT_EQ(holder->Link, nullptr);
}

TEST(ComponentTest, OwnerDestructionTellsLinkedSiblings) {
  TLog log;
  auto* owner = new TProbe(nullptr, "Owner", &log);
  auto* holder =
      new TProbe(owner, "Holder", &log);  // deleted after Watched: it is first in the list
  auto* watched = new TProbe(owner, "Watched", &log);
  holder->Link = watched;
  watched->FreeNotification(holder);
  bool linkClearedBeforeHolderDied = false;
  holder->OnDestroy = [&](TProbe* p) { linkClearedBeforeHolderDied = p->Link == nullptr; };
  delete owner;
  EXPECT_TRUE(linkClearedBeforeHolderDied);
  EXPECT_EQ(CountOf(log, "Holder remove Watched"), 1);
}

TEST(ComponentTest, RemoveFreeNotificationUnlinksBothWays) {
  TLog log;
  auto holder = std::make_unique<TProbe>(nullptr, "Holder", &log);
  auto* watched = new TProbe(nullptr, "Watched", &log);
  watched->FreeNotification(holder.get());
  watched->FreeNotification(holder.get());  // a second request adds no second link
  holder->RemoveFreeNotification(watched);
  EXPECT_FALSE(holder->ComponentState().Contains(csFreeNotification));
  EXPECT_FALSE(watched->ComponentState().Contains(csFreeNotification));
  delete watched;
  EXPECT_EQ(CountOf(log, "Holder remove Watched"), 0);
}

TEST(ComponentTest, EveryOwnedComponentIsMarkedDestroyingBeforeAnyDestructorRuns) {
  auto* owner = new TProbe(nullptr, "Owner", nullptr);
  auto* child = new TProbe(owner, "Child", nullptr);
  auto* grandChild = new TProbe(child, "GrandChild", nullptr);
  bool ownerDestroying = false, grandChildDestroying = false;
  owner->OnDestroy = [&](TProbe*) {
    grandChildDestroying = grandChild->ComponentState().Contains(csDestroying);
  };
  child->OnDestroy = [&](TProbe*) {
    ownerDestroying = owner->ComponentState().Contains(csDestroying);
  };
  owner->Free();
  EXPECT_TRUE(ownerDestroying);
  EXPECT_TRUE(grandChildDestroying);
}

TEST(ComponentTest, NamesMustBeIdentifiers) {
  struct Case {
    const char* name;
    bool valid;
  };
  const Case cases[] = {
      {"Button1", true}, {"_hidden", true}, {"жаба2", true}, {"", true},
      {"1st", false},    {"a b", false},    {"a-b", false},  {"x.y", false},
  };
  TProbe component(nullptr, "Start", nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.valid) {
      component.SetName(S(c.name));
      EXPECT_EQ(component.Name(), S(c.name));
    } else {
      try {
        component.SetName(S(c.name));
        ADD_FAILURE() << "no error";
      } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), u"'" + S(c.name) + u"' is not a valid component name");
      }
    }
  }
}

TEST(ComponentTest, NamesAreUniqueAmongSiblingsIgnoringCase) {
  TProbe owner(nullptr, "Owner", nullptr);
  auto* first = new TProbe(&owner, "Жаба", nullptr);
  auto* second = new TProbe(&owner, "Other", nullptr);
  try {
    second->SetName(u"ЖАБА");
    ADD_FAILURE() << "no error";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), u"A component named ЖАБА already exists");
  }
  EXPECT_EQ(second->Name(), u"Other");
  first->SetName(u"жаба");  // a change of case of its own name is no clash
  EXPECT_EQ(owner.FindComponent(u"ЖАБА"), first);
  EXPECT_EQ(owner.FindComponent(u"other"), second);
  EXPECT_EQ(owner.FindComponent(u""), nullptr);

  TProbe elsewhere(nullptr, "Elsewhere", nullptr);
  new TProbe(&elsewhere, "Other", nullptr);  // the same name under another owner is fine
  auto* clash = new TProbe(&elsewhere, "жаба", nullptr);
  EXPECT_THROW(owner.InsertComponent(clash), EComponentError);
  EXPECT_EQ(clash->Owner(), &elsewhere);  // a refused insert leaves it where it was
}

TEST(ComponentTest, ComponentIndexAndRangeErrors) {
  TProbe owner(nullptr, "Owner", nullptr);
  auto* a = new TProbe(&owner, "A", nullptr);
  auto* b = new TProbe(&owner, "B", nullptr);
  auto* c = new TProbe(&owner, "C", nullptr);
  EXPECT_EQ(c->ComponentIndex(), 2);
  c->SetComponentIndex(0);
  EXPECT_EQ(owner.Components(0), c);
  EXPECT_EQ(owner.Components(1), a);
  a->SetComponentIndex(99);  // clamped to the last place
  EXPECT_EQ(owner.Components(2), a);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(owner.ComponentIndex(), -1);
  try {
    owner.Components(3);
    ADD_FAILURE() << "no error";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (3)");
  }
}

TEST(ComponentTest, RemoveComponentGivesUpOwnershipWithoutDeleting) {
  TLog log;
  auto owner = std::make_unique<TProbe>(nullptr, "Owner", &log);
  auto* sibling = new TProbe(owner.get(), "Sibling", &log);
  std::unique_ptr<TProbe> orphan(new TProbe(owner.get(), "Orphan", &log));
  owner->RemoveComponent(orphan.get());
  EXPECT_EQ(orphan->Owner(), nullptr);
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(CountOf(log, "Sibling remove Orphan"), 1);
  owner->RemoveComponent(orphan.get());  // not its owner any more: nothing happens
  EXPECT_EQ(sibling->Owner(), owner.get());
}

TEST(ComponentTest, LoadingStateAndLoaded) {
  TProbe owner(nullptr, "Owner", nullptr);
  auto* child = new TProbe(&owner, "Child", nullptr);
  owner.BeginLoading();
  EXPECT_TRUE(owner.ComponentState().Contains(csLoading));
  EXPECT_TRUE(child->ComponentState().Contains(csReading));
  owner.EndLoading();
  EXPECT_EQ(owner.LoadedCalls, 1);
  EXPECT_EQ(child->LoadedCalls, 1);
  EXPECT_TRUE(child->ComponentState().Empty());
}

TEST(ComponentTest, DesigningPassesToOwnedAndInsertedComponents) {
  TProbe owner(nullptr, "Owner", nullptr);
  auto* before = new TProbe(&owner, "Before", nullptr);
  owner.SetDesigning(true);
  auto* after = new TProbe(&owner, "After", nullptr);
  EXPECT_TRUE(before->ComponentState().Contains(csDesigning));
  EXPECT_TRUE(after->ComponentState().Contains(csDesigning));
}

TEST(ComponentTest, TagAndClassName) {
  TProbe probe(nullptr, "Probe", nullptr);
  probe.SetTag(-7);
  EXPECT_EQ(probe.Tag(), -7);
  EXPECT_EQ(probe.ClassName(), u"TProbe");
  EXPECT_TRUE(probe.ClassNameIs(u"tprobe"));
  EXPECT_TRUE(probe.InheritsFrom<TPersistent>());
  EXPECT_FALSE(probe.InheritsFrom<TList>());
}

}  // namespace

namespace deep::inside {
template <class T>
class TBox : public TObject {};
class TThing {};
}  // namespace deep::inside

namespace {

TEST(ObjectTest, ClassNameDropsOnlyTheClassesOwnNamespaces) {
  deep::inside::TBox<deep::inside::TThing> box;
  EXPECT_EQ(box.ClassName(), u"TBox<deep::inside::TThing>");
  TObject plain;
  EXPECT_EQ(plain.ClassName(), u"TObject");
}

TEST(ObjectTest, CheckedCast) {
  TProbe probe(nullptr, "Probe", nullptr);
  TObject* object = &probe;
  EXPECT_EQ(As<TComponent>(object), &probe);
  EXPECT_EQ(As<TComponent>(static_cast<TObject*>(nullptr)), nullptr);
  try {
    As<TList>(object);
    ADD_FAILURE() << "no error";
  } catch (const EInvalidCast& e) {
    EXPECT_EQ(e.Message(), u"Invalid class typecast");
  }
}

// Two persistent classes: a TPoint can copy itself into a TLabelText, nothing else can.
class TLabelText : public TPersistent {
 public:
  String Text;
};
class TPoint : public TPersistent {
 public:
  int X = 0, Y = 0;
  void Assign(TPersistent* source) override {
    if (auto* point = dynamic_cast<TPoint*>(source)) {
      X = point->X;
      Y = point->Y;
      return;
    }
    TPersistent::Assign(source);
  }

 protected:
  void AssignTo(TPersistent* dest) override {
    if (auto* label = dynamic_cast<TLabelText*>(dest)) {
      label->Text = UTF8ToString(std::to_string(X) + "," + std::to_string(Y));
      return;
    }
    TPersistent::AssignTo(dest);
  }
};

TEST(PersistentTest, AssignAsksTheSourceAndOtherwiseFails) {
  TPoint a, b;
  a.X = 3;
  a.Y = 4;
  b.Assign(&a);
  EXPECT_EQ(b.Y, 4);

  TLabelText label;
  label.Assign(&a);  // TLabelText knows nothing of points; the point's AssignTo does the work
  EXPECT_EQ(label.Text, u"3,4");

  struct Case {
    TPersistent* dest;
    TPersistent* source;
    const char16_t* message;
  };
  const Case cases[] = {
      {&a, &label, u"Cannot assign a TLabelText to a TPoint"},
      {&label, nullptr, u"Cannot assign a nil to a TLabelText"},
      {&a, nullptr, u"Cannot assign a nil to a TPoint"},
  };
  for (const Case& c : cases) {
    try {
      c.dest->Assign(c.source);
      ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

enum TColorItem { ciRed, ciGreen, ciBlue, ciAlpha };
using TColorItems = TSet<TColorItem>;

TEST(SetTest, MembershipAndSetAlgebra) {
  TColorItems set{ciRed, ciBlue};
  EXPECT_TRUE(set.Contains(ciRed));
  EXPECT_FALSE(set.Contains(ciGreen));
  set << ciGreen >> ciRed;
  EXPECT_EQ(set, (TColorItems{ciGreen, ciBlue}));
  EXPECT_EQ(set + TColorItems{ciAlpha}, (TColorItems{ciGreen, ciBlue, ciAlpha}));
  EXPECT_EQ(set - TColorItems{ciBlue}, TColorItems{ciGreen});
  EXPECT_EQ(set * (TColorItems{ciBlue, ciRed}), TColorItems{ciBlue});
  EXPECT_TRUE(TColorItems{ciBlue} <= set);
  EXPECT_FALSE(set <= TColorItems{ciBlue});
  EXPECT_EQ(set.Count(), 2);
  EXPECT_EQ(set.ToBits(), 0b0110u);
  EXPECT_EQ(TColorItems::FromBits(0b1001), (TColorItems{ciRed, ciAlpha}));
  set.Clear();
  EXPECT_TRUE(set.Empty());
  EXPECT_TRUE(TColorItems().Empty());
}

}  // namespace
