// The metadata provider's kinds, layouts, restrictions and fill helpers.
#include "Common/LxAccess_MetaData.h"

#include "Common/LxAccess_Command.h"
#include "Common/LxAccess_Props.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"

namespace {

constexpr int kName = 100;  // length of the name columns

[[noreturn]] void Unsupported() { throw Exception(SUnsupportedMetaDataKind); }

}  // namespace

// ---- TDataHelper ----

void TDataHelper::AllocBuffer() {
  FreeBuffer();
  FBuffer = FData->AllocRecBuf();
}

void TDataHelper::FreeBuffer() {
  if (!FBuffer) return;
  FData->FreeRecBuf(FBuffer);
  FBuffer = nullptr;
}

void TDataHelper::InitRecord() {
  FData->InitRecord(FBuffer);
  if (FData->HasComplexFields()) FData->CreateComplexFields(FBuffer, true);
}

void TDataHelper::AppendRecord() { FData->AppendRecord(FBuffer); }

bool TDataHelper::NextRecord() {
  FData->GetNextRecord(FBuffer);
  return !FData->GetEOF();
}

Variant TDataHelper::GetFieldValue(int fieldNo) {
  return FData->GetFieldAsVariant(fieldNo, FBuffer);
}

void TDataHelper::SetFieldValue(int fieldNo, const Variant& value) {
  FData->PutFieldAsVariant(fieldNo, FBuffer, value, false);
}

// ---- TLxMetaData: life ----

TLxMetaData::TLxMetaData(std::unique_ptr<TLxRecordSet> recordSet)
    : FResult(std::make_unique<TMemData>()), FRecordSet(std::move(recordSet)) {
  // The descriptors defined here must survive the table's own field initialisation.
  FResult->SetRebuildFieldsOnInit(false);
  FRecordSet->SetProp(pcFetchAll, true);
  FRecordSet->SetProp(pcFlatBuffers, false);
  FResultHelper = std::make_unique<TDataHelper>(FResult.get());
  FRecordSetHelper = std::make_unique<TDataHelper>(FRecordSet.get());
}

TLxMetaData::~TLxMetaData() {
  FResultHelper.reset();
  FRecordSetHelper.reset();
  FRecordSet.reset();
  FResult.reset();
}

// ---- Dispatch ----

TData* TLxMetaData::GetMetaDataFor(TLxConnection* connection, TLxTransaction* transaction,
                                   const String& kind, TStrings* restrictions) {
  FRecordSet->SetConnection(connection);
  FRecordSet->SetTransaction(transaction);
  return GetMetaData(AnsiLowerCase(Trim(kind)), restrictions);
}

TData* TLxMetaData::GetMetaData(const String& kind, TStrings* restrictions) {
  if (kind.empty() || kind == u"metadatakinds") return GetMetaDataKinds();
  if (kind == u"restrictions") return GetRestrictions(restrictions);
  if (kind == u"tables") return GetTables(restrictions);
  if (kind == u"columns") return GetColumns(restrictions);
  if (kind == u"procedures") return GetProcedures(restrictions);
  if (kind == u"procedureparameters") return GetProcedureParameters(restrictions);
  if (kind == u"indexes") return GetIndexes(restrictions);
  if (kind == u"indexcolumns") return GetIndexColumns(restrictions);
  if (kind == u"constraints") return GetConstraints(restrictions);
  if (kind == u"databases") return GetDatabases(restrictions);
  if (kind == u"datatypes") return GetDataTypes(restrictions);
  if (kind == u"users") return GetUsers(restrictions);
  if (kind == u"roles") return GetRoles(restrictions);
  if (kind == u"userdefinedtypes") return GetUserDefinedTypes(restrictions);
  if (kind == u"packages") return GetPackages(restrictions);
  Unsupported();
}

TData* TLxMetaData::GetDatabases(TStrings*) { Unsupported(); }
TData* TLxMetaData::GetDataTypes(TStrings*) { Unsupported(); }
TData* TLxMetaData::GetUsers(TStrings*) { Unsupported(); }
TData* TLxMetaData::GetRoles(TStrings*) { Unsupported(); }
TData* TLxMetaData::GetUserDefinedTypes(TStrings*) { Unsupported(); }
TData* TLxMetaData::GetPackages(TStrings*) { Unsupported(); }

// ---- Result layouts ----

void TLxMetaData::ResetResultTable() {
  FResultHelper->FreeBuffer();
  FResult->Close();
  FResult->Fields().Clear();
}

void TLxMetaData::OpenResultTable() { FResult->Open(); }

TData* TLxMetaData::ResultAtBegin() {
  FResult->SetToBegin();
  return FResult.get();
}

void TLxMetaData::AddField(const String& name, TDataTypeCode dataType, int length) {
  auto* field = FResult->GetFieldDescClass()();
  field->SetName(name);
  field->SetSourceName(name);
  if (dataType == dtString) {
    // UTF-16 in the record: a 64-letter Cyrillic name would not fit 100 bytes of UTF-8.
    field->SetDataType(dtWideString);
    field->SetSize((length + 1) * 2);
  } else {
    field->SetDataType(dataType);
    field->SetSize(4);
  }
  if (length > 0) field->SetLength(static_cast<uint16_t>(length));
  FResult->Fields().Add(field);
  field->SetFieldNo(static_cast<uint16_t>(FResult->Fields().Count()));
}

void TLxMetaData::DefineLayout(std::initializer_list<const char16_t*> names,
                               std::initializer_list<TColumn> others) {
  ResetResultTable();
  for (const char16_t* name : names) AddField(name, dtString, kName);
  for (const TColumn& c : others) AddField(c.Name, c.DataType, c.Length);
  FResult->InitFields();
}

void TLxMetaData::CreateMetaDataKindsFields() {
  DefineLayout({}, {{u"METADATA_NAME", dtString, 50}});
}

void TLxMetaData::CreateRestrictionsFields() {
  DefineLayout({}, {{u"METADATA_NAME", dtString, 50}, {u"RESTRICTION_NAME", dtString, 50}});
}

void TLxMetaData::CreateTablesFields() {
  DefineLayout({u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME"},
               {{u"TABLE_TYPE", dtString, 50}});
}

void TLxMetaData::CreateColumnsFields() {
  DefineLayout({u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"COLUMN_NAME"},
               {{u"POSITION", dtInteger, 0},
                {u"DATA_TYPE", dtString, 50},
                {u"DATA_LENGTH", dtInteger, 0},
                {u"DATA_PRECISION", dtInteger, 0},
                {u"DATA_SCALE", dtInteger, 0},
                {u"NULLABLE", dtInteger, 0},
                {u"DEFAULT_VALUE", dtMemo, 0}});
}

void TLxMetaData::CreateProceduresFields() {
  DefineLayout({u"PROCEDURE_CATALOG", u"PROCEDURE_SCHEMA", u"PROCEDURE_NAME"},
               {{u"PROCEDURE_TYPE", dtString, 50}});
}

void TLxMetaData::CreateProcedureParametersFields() {
  DefineLayout({u"PROCEDURE_CATALOG", u"PROCEDURE_SCHEMA", u"PROCEDURE_NAME", u"PARAMETER_NAME"},
               {{u"POSITION", dtInteger, 0},
                {u"DIRECTION", dtString, 10},
                {u"DATA_TYPE", dtString, 50},
                {u"DATA_LENGTH", dtInteger, 0},
                {u"DATA_PRECISION", dtInteger, 0},
                {u"DATA_SCALE", dtInteger, 0}});
}

void TLxMetaData::CreateIndexesFields() {
  DefineLayout({u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"INDEX_CATALOG",
                u"INDEX_SCHEMA", u"INDEX_NAME"},
               {{u"UNIQUE", dtInteger, 0}});
}

void TLxMetaData::CreateIndexColumnsFields() {
  DefineLayout({u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"INDEX_CATALOG",
                u"INDEX_SCHEMA", u"INDEX_NAME", u"COLUMN_NAME"},
               {{u"COLUMN_POSITION", dtInteger, 0}, {u"SORT_ORDER", dtString, 4}});
}

void TLxMetaData::CreateConstraintsFields() {
  DefineLayout({u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"CONSTRAINT_NAME",
                u"CONSTRAINT_TYPE", u"INDEX_CATALOG", u"INDEX_SCHEMA", u"INDEX_NAME"});
}

void TLxMetaData::CreateDatabasesFields() { DefineLayout({u"DATABASE_NAME"}); }

// ---- Kinds and restrictions ----

void TLxMetaData::GetMetaDataKindsList(TStrings* list) {
  list->Clear();
  for (const char16_t* name : {u"MetaDataKinds", u"Restrictions", u"Tables", u"Columns",
                               u"Procedures", u"ProcedureParameters", u"Indexes", u"IndexColumns",
                               u"Constraints"})
    list->Add(name);
  if (auto* sorted = dynamic_cast<TStringList*>(list)) sorted->Sort();
}

void TLxMetaData::GetMetaDataKindNames(TStrings* list) {
  TStringList names;
  GetMetaDataKindsList(&names);
  list->Assign(&names);
}

TData* TLxMetaData::GetMetaDataKinds() {
  TStringList names;
  GetMetaDataKindNames(&names);
  CreateMetaDataKindsFields();
  OpenResultTable();
  FResultHelper->AllocBuffer();
  for (int i = 0; i < names.Count(); ++i) {
    FResultHelper->InitRecord();
    FResultHelper->SetFieldValue(1, names.Strings(i));
    FResultHelper->AppendRecord();
  }
  return ResultAtBegin();
}

void TLxMetaData::GetRestrictionsList(TStrings* list, const String& kind) {
  list->Clear();
  auto add = [list](std::initializer_list<const char16_t*> names) {
    for (const char16_t* name : names) list->Add(name);
  };
  if (kind == u"restrictions")
    add({u"METADATA_NAME"});
  else if (kind == u"tables")
    add({u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"TABLE_TYPE"});
  else if (kind == u"columns")
    add({u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"COLUMN_NAME"});
  else if (kind == u"procedures")
    add({u"PROCEDURE_CATALOG", u"PROCEDURE_SCHEMA", u"PROCEDURE_NAME", u"PROCEDURE_TYPE"});
  else if (kind == u"procedureparameters")
    add({u"PROCEDURE_CATALOG", u"PROCEDURE_SCHEMA", u"PROCEDURE_NAME", u"PARAMETER_NAME"});
  else if (kind == u"indexes" || kind == u"indexcolumns")
    add({u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"INDEX_NAME"});
  else if (kind == u"constraints")
    add({u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"CONSTRAINT_NAME",
         u"CONSTRAINT_TYPE"});
}

void TLxMetaData::GetRestrictionNames(TStrings* list, const String& kind) {
  TStringList names;
  GetRestrictionsList(&names, AnsiLowerCase(Trim(kind)));
  list->Assign(&names);
}

TData* TLxMetaData::GetRestrictions(TStrings* restrictions) {
  const String kind = AnsiLowerCase(Restriction(restrictions, u"METAINFO_NAME"));
  CreateRestrictionsFields();
  OpenResultTable();
  FResultHelper->AllocBuffer();
  auto addRows = [this](const String& kindName, const String& lookup) {
    TStringList names;
    GetRestrictionsList(&names, lookup);
    for (int i = 0; i < names.Count(); ++i) {
      FResultHelper->InitRecord();
      FResultHelper->SetFieldValue(1, kindName);
      FResultHelper->SetFieldValue(2, names.Strings(i));
      FResultHelper->AppendRecord();
    }
  };
  if (!kind.empty()) {
    addRows(kind, kind);
  } else {
    TStringList kinds;
    GetMetaDataKindNames(&kinds);
    for (int i = 0; i < kinds.Count(); ++i)
      addRows(kinds.Strings(i), AnsiLowerCase(kinds.Strings(i)));
  }
  return ResultAtBegin();
}

// ---- Query helpers ----

String TLxMetaData::Restriction(TStrings* restrictions, const String& name) {
  return restrictions ? Trim(restrictions->Values(name)) : String();
}

void TLxMetaData::ParseList(const String& text, TStrings* list) {
  list->Clear();
  if (auto* sorted = dynamic_cast<TStringList*>(list)) {
    sorted->SetSorted(true);
    sorted->SetDuplicates(dupIgnore);
  }
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(u',', start);
    const String item = Trim(text.substr(start, comma == String::npos ? String::npos
                                                                      : comma - start));
    if (!item.empty()) list->Add(AnsiUpperCase(item));
    if (comma == String::npos) break;
    start = comma + 1;
  }
  if (list->Count() == 0) list->Add(String());
}

String TLxMetaData::QuoteLiteral(const String& value) {
  String out = u"'";
  for (char16_t c : value) {
    if (c == u'\'') out += u'\'';
    out += c;
  }
  return out + u"'";
}

void TLxMetaData::AddCondition(String& condition, const String& name, bool forced,
                               const String& value) {
  if (!forced && value.empty()) return;
  const String v = FRecordSet->GetCommand()->GetSQLInfo()->NormalizeName(value, false, true);
  if (!forced && v.empty()) return;
  if (!condition.empty()) condition += u" AND ";
  if (!v.empty())
    condition += name + u" " + FOperator + u" " + QuoteLiteral(v);
  else
    condition += name + u" IS NULL";
}

void TLxMetaData::CopyRecords(const std::vector<int>& source, int lastIndex,
                              const std::vector<int>& dest) {
  for (size_t i = 0; static_cast<int>(i) <= lastIndex; ++i)
    FResultHelper->SetFieldValue(dest.at(i), FRecordSetHelper->GetFieldValue(source.at(i)));
}
