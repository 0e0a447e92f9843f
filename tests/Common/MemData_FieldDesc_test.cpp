#include <gtest/gtest.h>

#include "Common/MemData_Types.h"
#include "platform/rtl/Exceptions.h"

namespace {

TFieldDesc* NewField(const String& name, const String& source = u"", TFieldDesc* owner = nullptr) {
  TFieldDesc* field = TFieldDesc::Create();
  field->SetName(name);
  field->SetSourceName(source.empty() ? name : source);
  field->SetOwnerField(owner);
  return field;
}

TEST(FieldDescs, TopLevelNameWinsOverSubField) {
  TFieldDescs fields;
  TFieldDesc* addr = NewField(u"ADDR");
  fields.Add(NewField(u"CITY", u"ADDR.CITY", addr));  // a sub-field listed first
  fields.Add(addr);
  fields.Add(NewField(u"ID", u"ADDR.ID", addr));
  TFieldDesc* id = NewField(u"ID");
  fields.Add(id);
  EXPECT_EQ(fields.FindField(u"id"), id);
  // Without a top-level field of that name, a sub-field's own name is found.
  EXPECT_EQ(fields.FindField(u"city"), fields[0]);
  // A path matches the source name only.
  EXPECT_EQ(fields.FindField(u"addr.city"), fields[0]);
  EXPECT_EQ(fields.FindField(u"ADDR.NOPE"), nullptr);
}

TEST(FieldDescs, NamesCompareCaselessInTheLocale) {
  TFieldDescs fields;
  fields.Add(NewField(u"Презиме"));
  EXPECT_EQ(fields.FindField(u"ПРЕЗИМЕ"), fields[0]);
  EXPECT_EQ(fields.FieldByName(u"презиме"), fields[0]);
}

TEST(FieldDescs, FieldByNameNamesTheMissingField) {
  TFieldDescs fields;
  fields.Add(NewField(u"ID"));
  try {
    fields.FieldByName(u"NOPE");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Field NOPE not found");
  }
}

TEST(FieldDesc, NewDescriptorIsBlank) {
  TFieldDesc* field = TFieldDesc::Create();
  EXPECT_TRUE(field->Name().empty());
  EXPECT_EQ(field->DataType(), dtUnknown);
  EXPECT_EQ(field->Size(), 0);
  EXPECT_FALSE(field->Required());
  EXPECT_FALSE(field->HasParent());
  EXPECT_EQ(field->CalcKind(), 0);
  delete field;
}

class CountedObject : public TSharedObject {
 public:
  explicit CountedObject(int& alive) : FAlive(alive) { ++FAlive; }
  ~CountedObject() override { --FAlive; }

 private:
  int& FAlive;
};

TEST(SharedObject, LastReleaseFrees) {
  int alive = 0;
  auto* obj = new CountedObject(alive);
  EXPECT_EQ(obj->RefCount(), 1);
  obj->AddRef();  // a second record buffer points to it
  obj->Free();
  EXPECT_EQ(alive, 1);
  EXPECT_EQ(obj->RefCount(), 1);
  EXPECT_EQ(obj->GetHandle(), static_cast<void*>(obj));
  obj->ReleaseAlias();
  EXPECT_EQ(alive, 0);
  TSharedObject::Release(nullptr);  // nil is ignored
}

TEST(SharedObject, DescriptorHoldsAReferenceToItsObjectType) {
  int alive = 0;
  auto* type = new CountedObject(alive);
  TFieldDesc* field = TFieldDesc::Create();
  field->SetObjectType(type);
  EXPECT_EQ(type->RefCount(), 2);
  type->Free();
  delete field;
  EXPECT_EQ(alive, 0);
}

TEST(MemDataHooks, CalledOnlyWhenInstalled) {
  StartWait();  // nothing installed: nothing happens
  StopWait();
  EXPECT_EQ(GetApplicationName(), u"");
  static int waits = 0;
  StartWaitProc = [] { ++waits; };
  StopWaitProc = [] { --waits; };
  ApplicationNameProc = [] { return String(u"Членство"); };
  StartWait();
  EXPECT_EQ(waits, 1);
  StopWait();
  EXPECT_EQ(waits, 0);
  EXPECT_EQ(GetApplicationName(), u"Членство");
  StartWaitProc = nullptr;
  StopWaitProc = nullptr;
  ApplicationNameProc = nullptr;
}

}  // namespace
