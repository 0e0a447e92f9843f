// Parameters, field and index definitions, connections and master links.
#include <gtest/gtest.h>

#include <functional>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/StringList.h"
#include "tests/support/ScriptedDataSet.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

namespace {

TEST(Params, TypedSettersSetTheTypeAndBindTheValue) {
  TParams params;
  TParam* p = params.CreateParam(ftUnknown, u"p_article_id", ptInput);
  struct TCase {
    const char* Name;
    std::function<void()> Set;
    TFieldType Type;
    const char16_t* Text;
  } cases[] = {
      {"integer", [&] { p->SetAsInteger(42); }, ftInteger, u"42"},
      {"smallint", [&] { p->SetAsSmallInt(-7); }, ftSmallint, u"-7"},
      {"word", [&] { p->SetAsWord(65535); }, ftWord, u"65535"},
      {"largeint", [&] { p->SetAsLargeInt(int64_t{1} << 40); }, ftLargeint, u"1099511627776"},
      {"float", [&] { p->SetAsFloat(2.5); }, ftFloat, u"2.5"},
      {"currency", [&] { p->SetAsCurrency(Currency::FromDouble(1.25)); }, ftCurrency, u"1.25"},
      {"bcd", [&] { p->SetAsBCD(Currency::FromDouble(3.5)); }, ftBCD, u"3.5"},
      {"boolean", [&] { p->SetAsBoolean(true); }, ftBoolean, u"True"},
      {"string", [&] { p->SetAsString(u"Скопје"); }, ftString, u"Скопје"},
      {"wide string", [&] { p->SetAsWideString(u"Охрид"); }, ftWideString, u"Охрид"},
      {"memo", [&] { p->SetAsMemo(u"текст"); }, ftMemo, u"текст"},
      {"date", [&] { p->SetAsDate(EncodeDate(2024, 2, 29)); }, ftDate, u"02/29/2024"},
  };
  TFormatSettingsGuard guard;
  FormatSettings() = TFormatSettings::Invariant();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    p->Clear();
    p->SetBound(false);
    c.Set();
    EXPECT_EQ(p->DataType(), c.Type);
    EXPECT_TRUE(p->Bound());
    EXPECT_FALSE(p->IsNull());
    EXPECT_EQ(p->AsString(), c.Text);
  }
  EXPECT_EQ(p->ParamType(), ptInput);
}

TEST(Params, NullReadsAsEmptyZeroAndFalse) {
  TParams params;
  TParam* p = params.CreateParam(ftInteger, u"id", ptInput);
  EXPECT_TRUE(p->IsNull());
  EXPECT_FALSE(p->Bound());
  EXPECT_EQ(p->AsString(), u"");
  EXPECT_EQ(p->AsInteger(), 0);
  EXPECT_EQ(p->AsFloat(), 0.0);
  EXPECT_FALSE(p->AsBoolean());
  EXPECT_TRUE(p->Value().IsEmpty()) << "never assigned";
  p->SetValue(Variant::Null());
  EXPECT_TRUE(p->Bound()) << "Null is a value to bind";
  EXPECT_TRUE(p->IsNull());
  p->SetValue(Variant());
  EXPECT_FALSE(p->Bound()) << "an unassigned value unbinds";
}

TEST(Params, ValueGivesAnUnknownParameterItsType) {
  TParams params;
  struct TCase {
    Variant Value;
    TFieldType Type;
  } cases[] = {{Variant(int32_t{1}), ftInteger}, {Variant(int16_t{1}), ftSmallint},
               {Variant(int64_t{1}), ftLargeint}, {Variant(1.5), ftFloat},
               {Variant(true), ftBoolean},        {Variant(String(u"x")), ftWideString},
               {Variant(AnsiString("x")), ftString}, {Variant::FromDate(1.0), ftDateTime},
               {Variant(Currency(1)), ftBCD},     {Variant(TBytes{1, 2}), ftVarBytes}};
  for (const TCase& c : cases) {
    TParam* p = params.AddParameter();
    p->SetValue(c.Value);
    EXPECT_EQ(p->DataType(), c.Type) << VarTypeAsText(c.Value.VarType()).size();
  }
  // A parameter with a type keeps it.
  TParam* typed = params.CreateParam(ftFloat, u"f", ptInput);
  typed->SetValue(Variant(int32_t{3}));
  EXPECT_EQ(typed->DataType(), ftFloat);
  EXPECT_EQ(typed->AsFloat(), 3.0);
}

TEST(Params, LookupByNameIgnoresCaseAndNamesTheMissingOne) {
  TParams params;
  params.CreateParam(ftString, u"username", ptInput)->SetAsString(u"ana");
  params.CreateParam(ftString, u"password", ptInput)->SetAsString(u"тајна");
  EXPECT_EQ(params.ParamByName(u"USERNAME")->AsString(), u"ana");
  EXPECT_EQ(params.FindParam(u"nobody"), nullptr);
  try {
    params.ParamByName(u"p_id");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Parameter 'p_id' not found");
  }
  Variant both = params.ParamValues(u"username;password");
  EXPECT_EQ(both[1], Variant(String(u"тајна")));
  params.SetParamValues(u"password;username", VarArrayOf({Variant(String(u"a")), Variant(String(u"b"))}));
  EXPECT_EQ(params.ParamByName(u"username")->AsString(), u"b");
}

TEST(Params, AssignCopiesParametersAndValues) {
  TParams source, target;
  TParam* p = source.CreateParam(ftInteger, u"id", ptInput);
  p->SetAsInteger(5);
  p->SetSize(4);
  target.Assign(&source);
  ASSERT_EQ(target.Count(), 1);
  EXPECT_EQ(target[0]->Name(), u"id");
  EXPECT_EQ(target[0]->AsInteger(), 5);
  EXPECT_EQ(target[0]->Size(), 4);
  EXPECT_TRUE(target.IsEqual(&source));
  p->SetAsInteger(6);
  EXPECT_FALSE(target.IsEqual(&source));
  target.AssignValues(&source);
  EXPECT_EQ(target[0]->AsInteger(), 6);
}

TEST(Params, ParametersTakeFieldsAndGiveBackValues) {
  TScriptedDataSet ds(nullptr, {{u"NAME", ftWideString, 10}, {u"QTY", ftInteger}});
  ds.AddRow({TScriptedDataSet::WideText(u"Маса"), TScriptedDataSet::Null()});
  ds.Open();
  TParams params;
  TParam* name = params.AddParameter();
  name->Assign(ds.FieldByName(u"NAME"));
  EXPECT_EQ(name->Name(), u"NAME");
  EXPECT_EQ(name->DataType(), ftWideString);
  EXPECT_EQ(name->AsString(), u"Маса");
  TParam* qty = params.AddParameter();
  qty->AssignField(ds.FieldByName(u"QTY"));
  EXPECT_TRUE(qty->IsNull());
  EXPECT_EQ(qty->DataType(), ftInteger);
  // Back into a field.
  ds.Edit();
  qty->SetAsInteger(3);
  ds.FieldByName(u"QTY")->Assign(qty);
  EXPECT_EQ(ds.FieldByName(u"QTY")->AsInteger(), 3);
  ds.Cancel();
}

// ---- Definitions.

TEST(FieldDefs, NamesAreUniqueAndFoundWithoutCase) {
  TScriptedDataSet ds(nullptr, {{u"ID", ftInteger}, {u"NAME", ftWideString, 25, true}});
  ds.FieldDefs()->Update();
  ASSERT_EQ(ds.FieldDefs()->Count(), 2);
  TFieldDef* name = ds.FieldDefs()->Find(u"name");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->FieldNo(), 2);
  EXPECT_EQ(name->Size(), 25);
  EXPECT_TRUE(name->Required());
  EXPECT_EQ(ds.FieldDefs()->Find(u"nope"), nullptr);
  try {
    ds.FieldDefs()->AddFieldDef()->SetName(u"Id");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Duplicate name 'Id' in TFieldDefs");
  }
  // Field names list the definitions while no fields exist (read again from the dataset).
  TStringList names;
  ds.GetFieldNames(&names);
  ASSERT_EQ(names.Count(), 2);
  EXPECT_EQ(names.Strings(0), u"ID");
  EXPECT_EQ(names.Strings(1), u"NAME");
}

TEST(FieldDefs, ChildDefinitionsMakeFieldsWithFullNames) {
  TScriptedDataSet ds(nullptr, {});
  TFieldDef* address = ds.FieldDefs()->AddFieldDef();
  address->SetName(u"ADDRESS");
  address->SetDataType(ftADT);
  address->ChildDefs()->Add(u"CITY", ftWideString, 30);
  address->ChildDefs()->Add(u"ZIP", ftInteger);
  EXPECT_EQ(address->ChildDefs()->Items(0)->FullName(), u"ADDRESS.CITY");
  EXPECT_EQ(ds.FieldDefList()->Count(), 3);
  EXPECT_EQ(ds.FieldDefList()->Find(u"address.zip"), address->ChildDefs()->Items(1));
  // With the object view an object field holds its children.
  auto* field = static_cast<TObjectField*>(address->CreateField(&ds));
  EXPECT_EQ(field->FieldCount(), 2);
  EXPECT_EQ(ds.FieldCount(), 1);
  EXPECT_EQ(ds.FindField(u"ADDRESS.CITY"), field->Fields()->Fields(0));
  EXPECT_EQ(field->Fields()->Fields(0)->FullName(), u"ADDRESS.CITY");
}

TEST(IndexDefs, FindsAnIndexForItsLeadingFields) {
  TScriptedDataSet ds(nullptr, {});
  ds.IndexDefs()->Add(u"PRIMARY", u"ID", {ixPrimary, ixUnique});
  ds.IndexDefs()->Add(u"by_name", u"SURNAME;NAME", {ixCaseInsensitive});
  EXPECT_EQ(ds.IndexDefs()->FindIndexForFields(u"surname")->Name(), u"by_name");
  EXPECT_EQ(ds.IndexDefs()->FindIndexForFields(u"NAME"), nullptr);
  EXPECT_EQ(ds.IndexDefs()->GetIndexForFields(u"ID", false)->Name(), u"PRIMARY");
  try {
    ds.IndexDefs()->GetIndexForFields(u"SURNAME", false);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"No index for fields 'SURNAME'");
  }
  EXPECT_THROW(ds.IndexDefs()->Find(u"missing"), EDatabaseError);
}

// ---- Connections.

class TTestConnection : public TCustomConnection {
 public:
  using TCustomConnection::TCustomConnection;
  std::vector<std::string>* Log = nullptr;
  bool FailConnect = false;

 protected:
  void DoConnect() override {
    if (FailConnect) throw EDatabaseError(String(u"Can't connect to MySQL server"));
    Log->push_back("connect");
    FConnected = true;
  }
  void DoDisconnect() override {
    Log->push_back("disconnect");
    FConnected = false;
  }
  bool GetConnected() override { return FConnected; }

 private:
  bool FConnected = false;
};

class TListeningDataSet : public TScriptedDataSet {
 public:
  using TScriptedDataSet::TScriptedDataSet;
  std::vector<std::string>* Events = nullptr;

 protected:
  void DataEvent(TDataEvent event, intptr_t info) override {
    if (event == deConnectChange) Events->push_back(info ? "dataset: connecting" : "dataset: going");
    TScriptedDataSet::DataEvent(event, info);
  }
};

TEST(CustomConnection, TellsItsClientsAroundConnectAndDisconnect) {
  std::vector<std::string> log;
  TTestConnection connection(nullptr);
  connection.Log = &log;
  TListeningDataSet ds(nullptr, {{u"ID", ftInteger}});
  ds.Events = &log;
  TObject command;
  connection.BeforeConnect = [&](TObject*) { log.push_back("before connect"); };
  connection.AfterConnect = [&](TObject*) { log.push_back("after connect"); };
  connection.BeforeDisconnect = [&](TObject*) { log.push_back("before disconnect"); };
  connection.AfterDisconnect = [&](TObject*) { log.push_back("after disconnect"); };
  connection.RegisterClient(&ds);
  connection.RegisterClient(&command, [&](TObject*, bool connecting) {
    log.push_back(connecting ? "command: connecting" : "command: going");
  });
  connection.RegisterClient(&ds);  // once only
  EXPECT_EQ(connection.ClientCount(), 2);
  EXPECT_EQ(connection.DataSetCount(), 1);
  EXPECT_EQ(connection.DataSets(0), &ds);
  connection.Open();
  connection.Open();  // already connected: nothing
  connection.Close();
  EXPECT_EQ(Lines(log), Lines({"before connect", "connect", "dataset: connecting",
                               "command: connecting", "after connect", "before disconnect",
                               "dataset: going", "command: going", "disconnect",
                               "after disconnect"}));
  connection.UnRegisterClient(&ds);
  EXPECT_EQ(connection.DataSetCount(), 0);
}

TEST(CustomConnection, FailedConnectTellsNobody) {
  std::vector<std::string> log;
  TTestConnection connection(nullptr);
  connection.Log = &log;
  connection.FailConnect = true;
  TObject client;
  connection.RegisterClient(&client, [&](TObject*, bool) { log.push_back("told"); });
  connection.AfterConnect = [&](TObject*) { log.push_back("after connect"); };
  EXPECT_THROW(connection.Open(), EDatabaseError);
  EXPECT_FALSE(connection.Connected());
  EXPECT_TRUE(log.empty());
}

TEST(CustomConnection, ConnectsWhenLoadedIfAskedWhileLoading) {
  std::vector<std::string> log;
  TTestConnection connection(nullptr);
  connection.Log = &log;
  connection.BeginLoading();
  connection.SetConnected(true);
  EXPECT_FALSE(connection.Connected());
  connection.EndLoading();
  EXPECT_TRUE(connection.Connected());
}

// ---- Master links.

class TDetailDataSet : public TScriptedDataSet {
 public:
  using TScriptedDataSet::TScriptedDataSet;
  TDataSource* Master = nullptr;

 protected:
  TDataSource* GetDataSource() override { return Master; }
};

TEST(DataSource, RefusesACircleOfMasterLinks) {
  TDetailDataSet detail(nullptr, {{u"ID", ftInteger}});
  TDataSource source(nullptr);
  detail.Master = &source;
  try {
    source.SetDataSet(&detail);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Circular datalinks are not allowed");
  }
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_TRUE(detail.IsLinkedTo(&source));
}

}  // namespace
