// The decisions of the dataset service that depend only on the statement's tables and the
// record store's descriptors: which table receives the changes (the updating table), which
// fields identify a record (key fields) and which may be written (data fields), and the origin
// text of a field. The dataset service takes its dataset's settings and asks these.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "Common/DBAccess_SQLGenerator.h"
#include "Common/LxAccess_SQLInfo.h"
#include "Common/MemDS_Service.h"
#include "Common/MemData_Types.h"

// The index of the updating table in the statement's table list: the table named (or aliased)
// by updatingTable, the first table when it is empty, -1 when the list is empty too. A name not
// in a non-empty list raises "Wrong UpdatingTable value - table %s is unknown"; with an empty
// list the named table is added, and tableAdded tells so.
int FindUpdatingTable(TLxTablesInfo& tables, const String& updatingTable, const TSQLInfo& sqlInfo,
                      bool& tableAdded);

// The descriptors named in a field list ("a;b"), in its order. A name the store does not hold
// raises "%s: Key field '%s' not found" with the dataset's name.
TFieldDescArray KeyFieldsByName(const String& keyFields, const TFieldDescs& fieldDescs,
                                const String& dataSetName);

// The descriptors of a unique index's columns ("a;b"); a column the store does not hold drops
// the columns before it, so only those after the last missing one stay.
TFieldDescArray UniqueIndexKeyFields(const String& columns, const TFieldDescs& fieldDescs);

// Whether a descriptor is a data field: a provider column, not a sub-field, not the identity
// field (unless it counts as data), of the updating table (unless all tables count) and
// writable.
bool IsDataFieldDesc(TFieldDesc* fieldDesc, TFieldDesc* identityField,
                     const TLxTableInfo* updatingTable, bool allTables, bool identityIsDataField);

// The table a descriptor's column comes from, or none for a computed column.
TLxTableInfo* BaseTableOf(TFieldDesc* fieldDesc);

// "table.column" of a descriptor (the base table's name without quotes, or its alias when
// preferAlias is set and it has one), or the column's name alone for a computed column.
String FieldOriginText(TFieldDesc* fieldDesc, const TSQLInfo& sqlInfo, bool preferAlias);

// ---- The dataset service of the dataset component ----

class TCustomDADataSet;
class TDADataSetUpdater;

// The service object of a dataset component: it decides the updating table, the key, data and
// identity fields, answers the SQL generator's questions about the dataset and owns the
// generator; through its base it owns the updater that sends the posted changes.
class TDADataSetService : public TDataSetService, public IDASQLGeneratorHost {
 public:
  explicit TDADataSetService(TMemDataSet* dataSet);
  ~TDADataSetService() override;

  TCustomDADataSet* DADataSet() const { return FDataSet; }
  TDASQLGenerator* Generator();
  TDADataSetUpdater* DAUpdater() const;

  void CreateUpdater() override;
  // Works the updating information out again from the open statement's tables and columns.
  void InitUpdatingInfo() override;
  int UpdatingTableIndex() const { return FUpdatingTableIndex; }
  // Whether the open dataset takes edits: not read-only, not uni-directional, and its store
  // updates locally, or cached changes go to an OnUpdateRecord handler.
  virtual bool CanModify();

  // ---- IDASQLGeneratorHost ----
  TSQLInfo* SQLInfo() override;
  bool QuoteNames() override;
  bool FullRefresh() override;
  bool ReadOnly() override;
  bool Designing() override { return false; }
  bool CachedUpdates() override;
  bool ApplyingUpdates() override { return false; }
  bool Active() override;
  TDAParams* OwnParams() override;
  TField* FieldOf(TFieldDesc* fieldDesc) final;
  int FieldDescIndex(TFieldDesc* fieldDesc) override;
  bool ValueIsNull(TFieldDesc* fieldDesc, bool useOld) override;
  bool ValuesDiffer(TFieldDesc* fieldDesc) override;
  bool AnswersMatch(const std::vector<TRecordQuestion>& questions) override;
  String FinalSQL() override;
  String BaseSQL() override;
  String SQLAddWhere(const String& sql, const String& condition) override;
  String SQLGetFrom(const String& sql) override;
  String SQLGetWhere(const String& sql) override;
  TLxTableInfo* UpdatingTableInfo() override;
  bool UpdatingTableAdded() override { return FTableAdded; }
  int QueryTableCount() override;
  TFieldDesc* IdentityField() override { return FIdentityField; }
  TKeyAndDataFields GetKeyAndDataFields(bool allTables) override;

 protected:
  virtual std::unique_ptr<TDASQLGenerator> CreateGenerator();
  virtual TFieldDesc* GetIdentityField() { return nullptr; }
  virtual bool IdentityIsDataField() { return false; }
  virtual TFieldDescArray GetKeyFieldDescs(bool allTables);
  virtual TFieldDescArray GetDataFieldDescs(bool allTables);
  // The record store's descriptors in field order (none without a record set); valid until the
  // record set's descriptors change.
  std::span<TFieldDesc* const> FieldDescs();

 private:
  // Whether the field's value reads as null exactly when the record holds no value.
  static bool NullMeansNoValue(TField* field);
  bool NewValueIsNull(TField* field);
  // Whether the field's null question is answered by the record alone: a field of the store
  // (a column number, this dataset), not validating, of a kind whose null means no value.
  bool NullReadFromRecord(TField* field);
  bool OldValueIsNull(TField* field);

  TCustomDADataSet* FDataSet;
  std::unique_ptr<TDASQLGenerator> FGenerator;
  std::unique_ptr<TSQLInfo> FSQLInfo;
  int FUpdatingTableIndex = -1;
  bool FTableAdded = false;
  TFieldDesc* FIdentityField = nullptr;
};
