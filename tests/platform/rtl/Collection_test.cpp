#include "platform/rtl/Collection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/List.h"
#include "platform/rtl/UnicodeText.h"

namespace {

class TNamedItem : public TCollectionItem {
 public:
  explicit TNamedItem(TCollection* collection) : TCollectionItem(collection) {}
  String Caption;
  void Assign(TPersistent* source) override {
    if (auto* item = dynamic_cast<TNamedItem*>(source)) {
      Caption = item->Caption;
      return;
    }
    TCollectionItem::Assign(source);
  }
  void SetCaption(const String& value) {
    Caption = value;
    Changed(false);
  }
};

// An item class that does not know how to copy itself.
class TPlainItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
};

// Records Update and Notify as text: "update *" for everything, "update <ID>" for one item.
class TLoggedCollection : public TCollection {
 public:
  TLoggedCollection() : TCollection(TCollectionItemClass::Of<TNamedItem>()) {}
  std::vector<std::string> Log;
  TNamedItem* AddNamed(const char16_t* caption) {
    auto* item = static_cast<TNamedItem*>(Add());
    item->Caption = caption;
    return item;
  }

 protected:
  void Update(TCollectionItem* item) override {
    Log.push_back(item ? "update " + std::to_string(item->ID()) : "update *");
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    static const char* names[] = {"added", "extracting", "deleting"};
    Log.push_back(std::string(names[action]) + " " + std::to_string(item->ID()));
  }
};

std::vector<int> Ids(const TCollection& collection) {
  std::vector<int> ids;
  for (int i = 0; i < collection.Count(); ++i) ids.push_back(collection.Items(i)->ID());
  return ids;
}

TEST(CollectionTest, IdsAreUniqueAndNeverReused) {
  TLoggedCollection collection;
  for (auto caption : {u"a", u"b", u"c"}) collection.AddNamed(caption);
  EXPECT_EQ(Ids(collection), (std::vector<int>{0, 1, 2}));
  collection.Delete(1);
  collection.AddNamed(u"d");
  EXPECT_EQ(Ids(collection), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(collection.FindItemID(1), nullptr);
  EXPECT_EQ(static_cast<TNamedItem*>(collection.FindItemID(3))->Caption, u"d");
  EXPECT_EQ(collection.NextID(), 4);

  collection.Clear();
  EXPECT_EQ(collection.AddNamed(u"e")->ID(), 4);
  collection.ClearAndResetID();
  EXPECT_EQ(collection.AddNamed(u"f")->ID(), 0);
}

TEST(CollectionTest, IndexesFollowMoves) {
  TLoggedCollection collection;
  auto* a = collection.AddNamed(u"a");
  auto* b = collection.AddNamed(u"b");
  auto* c = collection.AddNamed(u"c");
  c->SetIndex(0);
  EXPECT_EQ(c->Index(), 0);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(b->Index(), 2);
  auto* inserted = static_cast<TNamedItem*>(collection.Insert(1));
  EXPECT_EQ(inserted->Index(), 1);
  EXPECT_EQ(Ids(collection), (std::vector<int>{2, 3, 0, 1}));

  try {
    a->SetIndex(4);
    ADD_FAILURE() << "no error";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (4)");
  }
  EXPECT_THROW(collection.Insert(5), EListError);
  EXPECT_THROW(collection.Items(-1), EListError);
  EXPECT_EQ(collection.Count(), 4);  // the refused insert added nothing
}

TEST(CollectionTest, ItemsLeaveOnDeletionAndMoveBetweenCollections) {
  TLoggedCollection first, second;
  auto* a = first.AddNamed(u"a");
  auto* b = first.AddNamed(u"b");
  second.AddNamed(u"x");
  delete a;  // an item deleted by hand leaves its collection
  EXPECT_EQ(first.Count(), 1);
  EXPECT_EQ(b->Index(), 0);

  b->SetCollection(&second);
  EXPECT_EQ(first.Count(), 0);
  EXPECT_EQ(b->Collection(), &second);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(b->ID(), 1);  // a new ID from its new collection

  TNamedItem loose(nullptr);
  EXPECT_EQ(loose.Index(), -1);
  EXPECT_EQ(loose.Collection(), nullptr);
}

TEST(CollectionTest, UpdateAndNotify) {
  TLoggedCollection collection;
  auto* a = collection.AddNamed(u"a");
  EXPECT_EQ(collection.Log, (std::vector<std::string>{"added 0", "update *"}));

  collection.Log.clear();
  a->SetCaption(u"changed");
  EXPECT_EQ(collection.Log, (std::vector<std::string>{"update 0"}));

  collection.Log.clear();
  collection.BeginUpdate();
  collection.AddNamed(u"b");
  a->SetCaption(u"again");
  a->SetIndex(1);
  collection.EndUpdate();
  EXPECT_EQ(collection.Log, (std::vector<std::string>{"added 1", "update *"}));

  collection.Log.clear();
  collection.Delete(0);
  EXPECT_EQ(collection.Log, (std::vector<std::string>{"deleting 1", "extracting 1", "update *"}));
}

TEST(CollectionTest, AssignCopiesItemByItem) {
  TLoggedCollection source, target;
  source.AddNamed(u"one");
  source.AddNamed(u"two");
  target.AddNamed(u"old");
  target.Assign(&source);
  ASSERT_EQ(target.Count(), 2);
  EXPECT_EQ(static_cast<TNamedItem*>(target.Items(1))->Caption, u"two");

  TCollection plain(TCollectionItemClass::Of<TPlainItem>());
  plain.Add();
  TCollection other(TCollectionItemClass::Of<TPlainItem>());
  try {
    other.Assign(&plain);
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a TPlainItem to a TPlainItem");
  }
  EXPECT_EQ(plain.Items(0)->DisplayName(), u"TPlainItem");
}

TEST(CollectionTest, OwnerAndCustomFactory) {
  TPersistent owner;
  TOwnedCollection owned(&owner, TCollectionItemClass::Of<TNamedItem>());
  EXPECT_EQ(owned.Owner(), &owner);
  TLoggedCollection unowned;
  EXPECT_EQ(unowned.Owner(), nullptr);

  int made = 0;
  TCollection counted(TCollectionItemClass([&](TCollection* c) {
    ++made;
    return new TNamedItem(c);
  }));
  counted.Add();
  counted.Insert(0);
  EXPECT_EQ(made, 2);
}

}  // namespace
