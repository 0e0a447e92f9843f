// The dataset service: its class and updater, numeric ranges from the column descriptors, the
// per-field XML forms, and the attribute writer they use.
#include <gtest/gtest.h>

#include "Common/LxXml.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "tests/Common/MemDS_TestData.h"

namespace {

using namespace memds_test;

// ---- The service class.

class TNameField : public TStringField {
 public:
  using TStringField::TStringField;
};

class TOtherService : public TDataSetService {
 public:
  using TDataSetService::TDataSetService;
  TFieldClass GetFieldClass(TFieldType fieldType) override {
    // String columns get a field class of this service's own.
    if (fieldType == ftString) return &CreateFieldOf<TNameField>;
    return TDataSetService::GetFieldClass(fieldType);
  }
};

class TOtherDataSet : public TMemDataSet {
 public:
  using TMemDataSet::TMemDataSet;
  TDataSetServiceClass GetDataSetServiceClass() override {
    return TDataSetServiceClass::Of<TOtherService>();
  }
};

TEST(DataSetService, TheDatasetMakesTheServiceOfItsClassAndAskItForFieldClasses) {
  TOtherDataSet ds(nullptr);
  UseStore(ds, {{u"NAME", dtString, 10}}, {{Variant("x")}});
  // A service of another class is replaced at the next need.
  ds.SetDataSetService(TDataSetServiceClass::Of<TDataSetService>().Create(&ds));
  ds.Open();
  EXPECT_NE(dynamic_cast<TOtherService*>(ds.DataSetService()), nullptr);
  EXPECT_NE(dynamic_cast<TNameField*>(ds.FieldByName(u"NAME")), nullptr);
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"x");
  TDataSetService* service = ds.DataSetService();
  EXPECT_EQ(service, ds.DataSetService()) << "a service of the right class is kept";
  EXPECT_EQ(service->Updater()->DataSetService(), service);
  EXPECT_THROW(service->SetProp(1, Variant(1)), EAssertionFailed);
  Variant value;
  EXPECT_THROW(service->GetProp(1, value), EAssertionFailed);
}

// ---- Numeric ranges.

TEST(DataSetService, NumberRangesFollowTheColumnLengthAndScale) {
  TMemDataSet ds(nullptr);
  UseStore(ds, {{u"QTY", dtInteger, 3}, {u"PRICE", dtFloat, 5, 0, false, 2},
                {u"BIG", dtLargeint, 12}, {u"WIDE", dtInteger, 11}, {u"F", dtFloat, 20}});
  ds.SetNumberRange(true);
  ds.Open();
  auto* qty = static_cast<TIntegerField*>(ds.FieldByName(u"QTY"));
  EXPECT_EQ(qty->MaxValue(), 999);
  EXPECT_EQ(qty->MinValue(), -999);
  auto* price = static_cast<TFloatField*>(ds.FieldByName(u"PRICE"));
  EXPECT_DOUBLE_EQ(price->MaxValue(), 999.99);
  EXPECT_DOUBLE_EQ(price->MinValue(), -999.99);
  EXPECT_EQ(price->Precision(), 5);
  auto* big = static_cast<TLargeintField*>(ds.FieldByName(u"BIG"));
  EXPECT_EQ(big->MaxValue(), 999999999999);
  // A length beyond the type keeps the type's own limit; a float of 20 digits is left alone.
  EXPECT_EQ(static_cast<TIntegerField*>(ds.FieldByName(u"WIDE"))->MaxValue(), INT32_MAX);
  EXPECT_EQ(static_cast<TFloatField*>(ds.FieldByName(u"F"))->MaxValue(), 0.0);
  ds.Append();
  EXPECT_THROW(qty->SetAsInteger(1000), Exception);
  qty->SetAsInteger(-999);
  ds.Cancel();
}

// ---- XML forms of fields.

class XmlFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    store = UseStore(
        ds,
        {{u"ID", dtInteger, 10}, {u"AMOUNT", dtFloat, 12, 0, false, 2}, {u"WHEN", dtDateTime},
         {u"AT", dtTime}, {u"OK", dtBoolean}, {u"RAW", dtVarBytes, 4}, {u"NAME", dtString, 30},
         {u"WNAME", dtWideString, 30}, {u"PIC", dtBlob}, {u"CASH", dtCurrency}},
        {{7, 1234.5, Variant::FromDate(EncodeDate(2008, 3, 5) + EncodeTime(7, 4, 9, 0)),
          Variant::FromDate(EncodeTime(23, 0, 5, 0)), true, Variant(TBytes{0x0A, 0xFF}),
          Variant("a<b"), Variant(u"ш"), Variant("\x01\xAB"), 2.5}});
    store->OnInternalOpen = [this] {
      store->FindField(u"ID")->SetIsKey(true);
      store->FindField(u"ID")->SetSourceName(u"id");
    };
    ds.Open();
    service = ds.DataSetService();
  }

  String Value(const String& name) {
    return service->GetFieldXMLValue(ds.FieldByName(name), store->FindField(name));
  }
  String TypeAttributes(const String& name) {
    XmlTextWriter writer;
    writer.WriteStartElement(u"s:AttributeType");
    service->WriteFieldXMLDataType(ds.FieldByName(name), store->FindField(name), writer);
    return writer.Text();
  }

  TMemDataSet ds{nullptr};
  TRowStore* store = nullptr;
  TDataSetService* service = nullptr;
};

TEST_F(XmlFixture, ValuesAreWrittenInTheRowsetForms) {
  EXPECT_EQ(Value(u"ID"), u"7");
  EXPECT_EQ(Value(u"WHEN"), u"2008-03-05T07:04:09");
  EXPECT_EQ(Value(u"AT"), u"23:00:05");
  EXPECT_EQ(Value(u"OK"), u"True");
  EXPECT_EQ(Value(u"RAW"), u"0AFF");
  EXPECT_EQ(Value(u"PIC"), u"01AB");
  EXPECT_EQ(Value(u"NAME"), u"a<b");
  EXPECT_EQ(Value(u"WNAME"), u"ш");
  // Numbers take a full stop whatever the locale's separator is.
  const char16_t saved = FormatSettings().DecimalSeparator;
  FormatSettings().DecimalSeparator = u',';
  const String amount = Value(u"AMOUNT");
  const String cash = Value(u"CASH");
  FormatSettings().DecimalSeparator = saved;
  EXPECT_EQ(amount, u"1234.5");
  EXPECT_EQ(cash, u"2.5");
}

TEST_F(XmlFixture, TypesAreDescribedWithTheRowsetAttributes) {
  EXPECT_EQ(TypeAttributes(u"ID"),
            u"<s:AttributeType dt:type=\"int\" dt:maxLength=\"4\" rs:precision=\"10\"");
  EXPECT_EQ(TypeAttributes(u"AMOUNT"),
            u"<s:AttributeType dt:type=\"float\" dt:maxLength=\"8\" rs:precision=\"12\"");
  EXPECT_EQ(TypeAttributes(u"NAME"),
            u"<s:AttributeType dt:type=\"string\" dt:maxLength=\"30\" rs:dbtype=\"str\"");
  EXPECT_EQ(TypeAttributes(u"WNAME"), u"<s:AttributeType dt:type=\"string\" dt:maxLength=\"30\"");
  EXPECT_EQ(TypeAttributes(u"PIC"),
            u"<s:AttributeType dt:type=\"bin.hex\" dt:maxLength=\"2147483647\" rs:long=\"true\"");
  TFieldDesc object;
  object.SetDataType(dtObject);
  XmlTextWriter writer;
  writer.WriteStartElement(u"s:AttributeType");
  EXPECT_EQ(MessageOf([&] {
              service->WriteFieldXMLDataType(ds.FieldByName(u"ID"), &object, writer);
            }),
            u"Data type is not supported");
}

TEST_F(XmlFixture, FieldAttributesNameTheColumnAndItsNullability) {
  XmlTextWriter writer;
  writer.WriteStartElement(u"s:AttributeType");
  service->WriteFieldXMLAttributes(ds.FieldByName(u"ID"), store->FindField(u"ID"), writer,
                                   u"c0");
  EXPECT_EQ(writer.Text(),
            u"<s:AttributeType name=\"c0\" rs:name=\"ID\" rs:number=\"1\" rs:nullable=\"true\" "
            u"rs:writeunknown=\"true\" rs:basecolumn=\"id\" rs:keycolumn=\"true\"");
  XmlTextWriter plain;
  plain.WriteStartElement(u"s:AttributeType");
  ds.FieldByName(u"OK")->SetReadOnly(true);
  service->WriteFieldXMLAttributes(ds.FieldByName(u"OK"), store->FindField(u"OK"), plain, u"");
  EXPECT_EQ(plain.Text(), u"<s:AttributeType name=\"OK\" rs:number=\"5\" rs:basecolumn=\"OK\"");
}

// ---- The attribute writer.

TEST(XmlTextWriter, AttributesAreEscapedAndNeedAStartTag) {
  XmlTextWriter writer;
  EXPECT_EQ(MessageOf([&] { writer.WriteAttribute(u"a", u"1"); }),
            u"Token WriteAttributeString in state Content would result in an invalid XML "
            u"document.");
  writer.WriteStartElement(u"row");
  writer.WriteAttribute(u"v", u"<&>");
  writer.WriteAttributeString(u"rs", u"q", u"'\"");
  EXPECT_EQ(writer.Text(), u"<row v=\"&#x3c;&#x26;&#x3e;\" rs:q=\"&#x27;&#x22;\"");
  EXPECT_EQ(writer.State(), XmlTextWriter::TWriterState::Attribute);
  writer.SetQuoteChar(u'\'');
  writer.WriteAttribute(u"w", u"x");
  EXPECT_EQ(writer.Text().substr(writer.Text().size() - 6), u" w='x'");
}

}  // namespace
