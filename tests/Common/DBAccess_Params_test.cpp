// Component parameters: blob and memo values in shared blobs, null rules, dates read as the date
// alone, typed lookups, and values that survive a re-created list by name.
#include "Common/DBAccess_Params.h"

#include <gtest/gtest.h>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace {

TEST(DAParams, TypesNamesAndValues) {
  TDAParams params;
  params.CreateParam(ftInteger, u"id", ptInput)->SetAsInteger(42);
  params.CreateParam(ftString, u"name", ptInput)->SetAsString(u"Ристо Ѓорѓиевски");
  params.CreateParam(ftLargeint, u"big", ptInput)->SetAsLargeInt(9000000000LL);
  TDAParam* nothing = params.CreateParam(ftString, u"note", ptInput);
  nothing->Clear();

  EXPECT_EQ(params.ParamByName(u"ID")->AsInteger(), 42);
  EXPECT_EQ(params.ParamByName(u"name")->AsString(), u"Ристо Ѓорѓиевски");
  EXPECT_EQ(params.ParamByName(u"big")->AsLargeInt(), 9000000000LL);
  EXPECT_TRUE(params.ParamByName(u"note")->IsNull());
  EXPECT_EQ(params.ParamByName(u"note")->AsLargeInt(), 0);
  EXPECT_EQ(params.ParamByName(u"note")->AsString(), u"");
  EXPECT_EQ(params.FindParam(u"missing"), nullptr);
  try {
    params.ParamByName(u"missing");
    ADD_FAILURE();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Parameter 'missing' not found");
  }
}

TEST(DAParams, DateTimeReadsAsTheDateAlone) {
  TDAParams params;
  TDAParam* p = params.CreateParam(ftDateTime, u"d", ptInput);
  const TDateTime value = EncodeDate(2024, 5, 17) + EncodeTime(14, 30, 0, 0);
  p->SetAsDateTime(value);
  EXPECT_EQ(p->AsString(), DateToStr(EncodeDate(2024, 5, 17)));
  EXPECT_DOUBLE_EQ(p->AsDateTime(), value);  // the value keeps its time
}

TEST(DAParams, BlobParameterKeepsItsValueInASharedBlob) {
  TDAParams params;
  TDAParam* a = params.CreateParam(ftBlob, u"a", ptInput);
  ASSERT_NE(a->AsBlobRef(), nullptr);
  EXPECT_TRUE(a->IsNull());
  a->SetValue(Variant(u""));
  EXPECT_TRUE(a->IsNull());  // an empty text leaves the blob empty
  a->SetValue(Variant(TBytes{1, 2, 3}));
  EXPECT_FALSE(a->IsNull());
  EXPECT_EQ(a->AsBlobRef()->GetAsBytes(), (TBytes{1, 2, 3}));
  a->SetDataType(ftBlob);  // unchanged type keeps the content
  EXPECT_EQ(a->AsBlobRef()->GetSize(), 3u);

  TDAParam* b = params.CreateParam(ftUnknown, u"b", ptInput);
  b->Assign(a);
  EXPECT_EQ(b->AsBlobRef(), a->AsBlobRef());
  a->AsBlobRef()->SetAsBytes(TBytes{9});
  EXPECT_EQ(b->AsBlobRef()->GetAsBytes(), (TBytes{9}));
  EXPECT_EQ(b->Name(), u"a");

  TDAParam* memo = params.CreateParam(ftUnknown, u"m", ptInput);
  memo->SetAsMemo(u"Белешка");
  EXPECT_EQ(memo->DataType(), ftMemo);
  EXPECT_EQ(memo->AsString(), u"Белешка");
  memo->Clear();
  EXPECT_TRUE(memo->IsNull());
  // A change of type drops the blob: a string parameter keeps a Variant.
  memo->SetDataType(ftString);
  EXPECT_EQ(memo->ParamObject(), nullptr);
  memo->SetAsString(u"x");
  EXPECT_EQ(memo->AsString(), u"x");
}

TEST(DAParams, ReCreatedListKeepsValuesByName) {
  TDAParams oldList;
  oldList.CreateParam(ftString, u"city", ptInput)->SetAsString(u"Охрид");
  oldList.CreateParam(ftInteger, u"gone", ptInput)->SetAsInteger(5);
  TDAParams newList;
  newList.CreateParam(ftUnknown, u"year", ptInput);
  newList.CreateParam(ftUnknown, u"CITY", ptInput);
  newList.AssignValues(&oldList);
  EXPECT_EQ(newList.ParamByName(u"city")->AsString(), u"Охрид");
  EXPECT_TRUE(newList.ParamByName(u"year")->IsNull());
  EXPECT_EQ(newList.FindParam(u"gone"), nullptr);
}

}  // namespace
