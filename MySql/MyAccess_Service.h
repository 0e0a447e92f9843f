// What the MySQL dataset service decides from the result's column flags: the key and data fields
// of the updating table and its AUTO_INCREMENT column (the identity field, whose value the
// server generates and the updater writes back after an INSERT).
#pragma once

#include <atomic>
#include <memory>
#include <span>
#include <vector>

#include "Common/DBAccess_Service.h"
#include "platform/rtl/Types.h"

class TMySQLFieldDesc;
class TCustomMySQLGenerator;

// The descriptors, in the given (field) order, of the updating table's columns (every table's
// with allTables; computed columns too while fields are not made read-only). keyOnly keeps the
// key columns, and only the primary-key ones when there are any; otherwise the writable ones.
TFieldDescArray CollectMyFields(std::span<TFieldDesc* const> fieldDescs, bool keyOnly,
                                bool allTables, const TLxTableInfo* updatingTable,
                                bool setFieldsReadOnly);
// Both lists of CollectMyFields in one pass: keys as keyOnly gives them, data as without it.
// Either may be none, and is then not collected.
void CollectMyKeyAndDataFields(std::span<TFieldDesc* const> fieldDescs, bool allTables,
                               const TLxTableInfo* updatingTable, bool setFieldsReadOnly,
                               TFieldDescArray* keys, TFieldDescArray* data);

// The first provider column that is AUTO_INCREMENT and comes from the updating table; none
// without an updating table.
TFieldDesc* MyIdentityField(std::span<TFieldDesc* const> fieldDescs,
                            const TLxTableInfo* updatingTable);

// The statement that counts the rows of a SELECT (its ORDER BY already removed): COUNT(*) in
// place of the select list, COUNT(DISTINCT ...) for a DISTINCT list, or the whole statement as a
// subquery when it limits, groups or combines its rows or names its DISTINCT columns with AS.
// Empty when the text is no SELECT ... FROM.
String MyRecordCountSQL(const String& sql);

// The DefaultExpression of a column from its COLUMN_DEFAULT text: CURRENT_TIMESTAMP unquoted,
// other values quoted, date and time values only when they parse for the column's type (else
// empty). A text already in quotes (as MariaDB reports strings) is taken unquoted first; NULL
// (MariaDB's text for no default) gives no expression. dateTimeField tells whether the field is
// of a date, time or date-time type.
String MyDefaultExpression(const String& columnDefault, bool quotedByServer,
                           const TMySQLFieldDesc& desc, bool dateTimeField);

// Reads a date or time text by the column's MySQL type and display length; False when it names
// no valid date. A TIME text without ":" within its first five characters raises
// "Wrong time format. FieldDesc %s, value %s".
bool ParseMyDateTime(const String& text, const TMySQLFieldDesc& desc, TDateTime& value);

// The service of the MySQL dataset components: key and data fields from the column flags, the
// AUTO_INCREMENT column as identity field, and the MySQL generator and updater.
class TCustomMyDataSetService : public TDADataSetService {
 public:
  using TDADataSetService::TDADataSetService;
  void CreateUpdater() override;
  void InitUpdatingInfo() override;
  void FieldsChanged() override { FKeyFlagsChecked = false; }
  // Besides the base's answer: a dataset that is neither read-only nor uni-directional takes
  // edits when one of its fields is writable or it has its own INSERT, UPDATE or DELETE text.
  bool CanModify() override;
  TKeyAndDataFields GetKeyAndDataFields(bool allTables) override;
  void FillKeyAndDataFields(bool allTables, TKeyAndDataFields& fields) override;

  // pcCheckRowVersion, pcLockType and pcAutoIncReadOnly; other codes go to the base.
  bool SetProp(int32_t prop, const Variant& value) override;
  bool CheckRowVersion() const { return FCheckRowVersion; }
  uint8_t LockType() const { return FLockType; }
  bool AutoIncReadOnly() const { return FAutoIncReadOnly; }

  // After the dataset made its fields: origins, AUTO_INCREMENT fields, column defaults and the
  // TIMESTAMP column. ClearFieldsInfo forgets the column when the fields go.
  void InitFields();
  void ClearFieldsInfo();
  // Finds the TIMESTAMP column among the descriptors in hand: a reread describes the columns
  // anew, and the one found before is gone with the old descriptors.
  void FindTimestampField();
  // The dataset's TIMESTAMP column: the first one the server updates by itself, else the last.
  TFieldDesc* TimestampField() const { return FTimestampField; }
  void SetFieldOrigin(TField* field, TFieldDesc* fieldDesc);
  // Each data field takes its column's default from the server's column catalogue.
  void InitDefaultValues();

  // Limits a numeric field to what its MySQL column holds.
  void SetNumberFieldRange(TFieldDef* fieldDef) override;
  void WriteFieldXMLDataType(TField* field, TFieldDesc* fieldDesc,
                             XmlTextWriter& writer) override;
  void WriteFieldXMLAttributes(TField* field, TFieldDesc* fieldDesc, XmlTextWriter& writer,
                               const String& name) override;

  // The rows the dataset's statement gives, counted by the server (QueryRecCount with FetchAll
  // off); 0 otherwise.
  int GetServerRecordCount();
  void BreakServerRecordCount();
  bool IsCountingRecords() const { return FCounting; }
  // Moves an open dataset on to the next result of its statement; whether there was one. A
  // closed dataset simply opens.
  bool OpenNext();

  // The quick refresh remembers the largest TIMESTAMP value it read for each table.
  static bool IsTrackedField(TFieldDesc* fieldDesc);
  void TrackFieldValue(TFieldDesc* fieldDesc, const Variant& value);

 protected:
  std::unique_ptr<TDASQLGenerator> CreateGenerator() override;
  TFieldDesc* GetIdentityField() override;
  TFieldDescArray GetKeyFieldDescs(bool allTables) override;
  TFieldDescArray GetDataFieldDescs(bool allTables) override;
  // Only the columns the dataset shows as fields, in the store's order, into shown.
  void DataSetFieldDescs(std::vector<TFieldDesc*>& shown);

 private:
  // A result the server sorted through a temporary table describes its columns without their key
  // and AUTO_INCREMENT flags. Read from the table itself, once per description; whether any
  // flag was restored.
  bool RestoreKeyFlags();
  TCustomMySQLGenerator* MyGenerator();
  // The current description was probed; a new description (FieldsChanged) is probed again.
  bool FKeyFlagsChecked = false;
  // Scratch lists of GetKeyAndDataFields, which a post asks for: kept to spare allocations.
  std::vector<TFieldDesc*> FDescsOfFields;
  std::vector<TFieldDesc*> FShown;

  bool FCheckRowVersion = false;
  uint8_t FLockType = 0;
  bool FAutoIncReadOnly = true;
  std::atomic<bool> FCounting{false};
  TFieldDesc* FTimestampField = nullptr;
};

// The class the MySQL query and table components use.
class TMyDataSetService : public TCustomMyDataSetService {
 public:
  using TCustomMyDataSetService::TCustomMyDataSetService;
};
