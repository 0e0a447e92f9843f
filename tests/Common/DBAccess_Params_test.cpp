// Component parameters: blob and memo values in shared blobs, null rules, dates read as the date
// alone, typed lookups, and values that survive a re-created list by name.
#include "Common/DBAccess_Params.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/db/FieldsText.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"

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

// An object that writes itself into a stream, as a picture does.
class TStreamedNote : public TPersistent, public IStreamPersist {
 public:
  explicit TStreamedNote(std::string bytes) : FBytes(std::move(bytes)) {}
  void LoadFromStream(TStream*) override {}
  void SaveToStream(TStream* stream) override {
    stream->WriteBuffer(FBytes.data(), static_cast<int32_t>(FBytes.size()));
  }

 private:
  std::string FBytes;
};

TEST(DAParams, BlobsFromStreamsListsAndStreamingObjects) {
  TDAParams params;
  TDAParam* param = params.CreateParam(ftUnknown, u"p", ptInput);
  TMemoryStream stream;
  const char bytes[] = {'\x01', '\x00', '\x02'};
  stream.WriteBuffer(bytes, 3);
  param->LoadFromStream(&stream, ftBlob);  // the stream stands at its end: it is rewound
  EXPECT_EQ(param->DataType(), ftBlob);
  EXPECT_EQ(param->AsBlobRef()->GetSize(), 3);

  TStringList lines;
  lines.Add(u"Ана");
  lines.Add(u"Борис");
  param->Assign(&lines);
  EXPECT_EQ(param->DataType(), ftMemo);
  EXPECT_EQ(param->AsString(), lines.Text());

  TStreamedNote note("abc");
  param->Assign(&note);
  EXPECT_EQ(param->DataType(), ftMemo) << "the parameter keeps its blob type";
  EXPECT_EQ(param->AsString(), u"abc");

  // Only a blob parameter holds a stream's bytes.
  TDAParam* number = params.CreateParam(ftInteger, u"n", ptInput);
  for (TFieldType type : {ftString, ftInteger, ftOraBlob}) {
    try {
      number->LoadFromStream(&stream, type);
      ADD_FAILURE() << "loaded a stream as type " << type;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"Data type is not supported");
    }
  }
  EXPECT_THROW(number->Assign(&note), Exception);
  EXPECT_EQ(number->DataType(), ftInteger);
}

TEST(DAParams, AFixedLengthTextFieldGivesAFixedCharParameterWithItsBlanks) {
  TDAParams params;
  TDAParam* param = params.CreateParam(ftUnknown, u"code", ptInput);
  TStringField field(nullptr);
  field.SetFixedChar(true);
  param->AssignFieldValue(&field, Variant(String(u"AB  ")));
  EXPECT_EQ(param->DataType(), ftFixedChar);
  EXPECT_EQ(param->AsString(), u"AB  ");
  TWideStringField wide(nullptr);
  wide.SetFixedChar(true);
  param->AssignFieldValue(&wide, Variant(String(u"Ж ")));
  EXPECT_EQ(param->DataType(), ftFixedWideChar);
  field.SetFixedChar(false);
  param->AssignFieldValue(&field, Variant::Null());
  EXPECT_EQ(param->DataType(), ftString);
  EXPECT_TRUE(param->IsNull());
}

TEST(DAParams, AChangeInsideAnUpdateEventMakesTheListBindByName) {
  TDAParams params;
  TDAParam* a = params.CreateParam(ftInteger, u"a", ptInput);
  TDAParam* memo = params.CreateParam(ftMemo, u"m", ptInput);
  a->SetAsInteger(1);
  EXPECT_EQ(params.BindMode, 0) << "outside the event nothing changes";
  struct TCase {
    const char* what;
    void (*change)(TDAParam* a, TDAParam* memo);
  };
  const TCase cases[] = {
      {"typed value", [](TDAParam* p, TDAParam*) { p->SetAsInteger(3); }},
      {"variant", [](TDAParam* p, TDAParam*) { p->SetAsVariant(Variant(4)); }},
      {"clear", [](TDAParam* p, TDAParam*) { p->Clear(); }},
      {"memo text", [](TDAParam*, TDAParam* m) { m->SetAsString(u"x"); }},
  };
  for (const TCase& c : cases) {
    params.BindMode = 2;
    c.change(a, memo);
    EXPECT_EQ(params.BindMode, 1) << c.what;
  }
}

}  // namespace

