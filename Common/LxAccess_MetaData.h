// The metadata provider: answers catalogue questions (tables, columns, procedures and their
// parameters, indexes, index columns, constraints, databases) in one provider-neutral table layout
// per kind. The base fixes the kinds, each kind's columns and restriction names, the dispatch and
// the helpers that fill the result table row by row; a provider supplies the record set through
// which it asks the server and the queries of each kind.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <typeinfo>
#include <vector>

#include "Common/LxAccess_RecordSet.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

class TLxConnection;
class TLxTransaction;
class TStrings;

inline constexpr char16_t SUnsupportedMetaDataKind[] = u"Unsupported metadata kind";
inline constexpr char16_t SRestrictionMustBeSet[] = u"%s restriction must be set";

// A cursor over a record store with one record buffer of its own: the fill code reads the
// provider's rows and writes the result table's rows through it.
class TDataHelper {
 public:
  explicit TDataHelper(TData* data) : FData(data) {}
  ~TDataHelper() { FreeBuffer(); }
  TDataHelper(const TDataHelper&) = delete;
  TDataHelper& operator=(const TDataHelper&) = delete;

  // A buffer of the store's current layout (the old one is released first).
  void AllocBuffer();
  void FreeBuffer();
  // Every field null; memo and blob columns get their objects.
  void InitRecord();
  void AppendRecord();
  // Reads the next record into the buffer; false at the end of the store.
  bool NextRecord();
  Variant GetFieldValue(int fieldNo);
  void SetFieldValue(int fieldNo, const Variant& value);
  uint8_t* Buffer() const { return FBuffer; }

 private:
  TData* FData;
  uint8_t* FBuffer = nullptr;
};

class TLxMetaData {
 public:
  virtual ~TLxMetaData();
  TLxMetaData(const TLxMetaData&) = delete;
  TLxMetaData& operator=(const TLxMetaData&) = delete;

  // The public entry: binds the record set to the connection and transaction and answers the
  // kind (trimmed, any case) with its restrictions (NAME=value lines; may be null). The store
  // answered stays owned here and is valid until the next question.
  TData* GetMetaDataFor(TLxConnection* connection, TLxTransaction* transaction,
                        const String& kind, TStrings* restrictions);

  // The dispatch on a trimmed, lower-case kind.
  virtual TData* GetMetaData(const String& kind, TStrings* restrictions);

  virtual void CreateMetaDataKindsFields();
  virtual void GetMetaDataKindsList(TStrings* list);
  virtual TData* GetMetaDataKinds();
  virtual void CreateRestrictionsFields();
  virtual void GetRestrictionsList(TStrings* list, const String& kind);
  virtual TData* GetRestrictions(TStrings* restrictions);
  virtual void CreateTablesFields();
  virtual TData* GetTables(TStrings* restrictions) = 0;
  virtual void CreateColumnsFields();
  virtual TData* GetColumns(TStrings* restrictions) = 0;
  virtual void CreateProceduresFields();
  virtual TData* GetProcedures(TStrings* restrictions) = 0;
  virtual void CreateProcedureParametersFields();
  virtual TData* GetProcedureParameters(TStrings* restrictions) = 0;
  virtual void CreateIndexesFields();
  virtual TData* GetIndexes(TStrings* restrictions) = 0;
  virtual void CreateIndexColumnsFields();
  virtual TData* GetIndexColumns(TStrings* restrictions) = 0;
  virtual void CreateConstraintsFields();
  virtual TData* GetConstraints(TStrings* restrictions) = 0;
  virtual TData* GetDatabases(TStrings* restrictions);
  virtual void CreateDatabasesFields();
  virtual TData* GetDataTypes(TStrings* restrictions);
  virtual TData* GetUsers(TStrings* restrictions);
  virtual TData* GetRoles(TStrings* restrictions);
  virtual TData* GetUserDefinedTypes(TStrings* restrictions);
  virtual TData* GetPackages(TStrings* restrictions);

  // The listed kinds, sorted; and a kind's restriction names (the kind in any case).
  void GetMetaDataKindNames(TStrings* list);
  void GetRestrictionNames(TStrings* list, const String& kind);

  // Adds a result-table column; its field number is its 1-based position. Text columns hold
  // Unicode, length counted in characters, so that a name of any script keeps all its letters.
  void AddField(const String& name, TDataTypeCode dataType, int length);
  // The upper-cased, trimmed, non-empty items of a comma-separated text, sorted without
  // duplicates; a single empty item when there is none.
  static void ParseList(const String& text, TStrings* list);
  // Appends "name = 'value'" (the value unquoted as an identifier first, then written as a
  // literal by the dialect) to a WHERE text, with " AND " before it when the text is not empty;
  // nothing for an empty value unless forced, which appends "name IS NULL".
  void AddCondition(String& condition, const String& name, bool forced, const String& value);
  // Copies record-set fields source[i] into result fields dest[i] for i in 0..lastIndex.
  void CopyRecords(const std::vector<int>& source, int lastIndex, const std::vector<int>& dest);

  TMemData* ResultTable() const { return FResult.get(); }
  TLxRecordSet* RecordSet() const { return FRecordSet.get(); }
  const String& Operator() const { return FOperator; }

 protected:
  // A provider hands over the record set through which it queries the server; it is told to
  // fetch every row and to keep its rows in blocks.
  explicit TLxMetaData(std::unique_ptr<TLxRecordSet> recordSet);

  // A value as a string literal of the provider's dialect. The base doubles single quotes.
  virtual String QuoteLiteral(const String& value);
  // The restriction's value, trimmed; empty when absent or without restrictions.
  static String Restriction(TStrings* restrictions, const String& name);
  // Closes the result table and drops its columns before a kind defines its own.
  void ResetResultTable();
  // A column of a layout: its name, type code (1 text, 4 integer, 14 memo) and length.
  struct TColumn {
    const char16_t* Name;
    TDataTypeCode DataType;
    int Length;
  };
  // Replaces the result table's columns: the name columns (text of 100 characters) first, then
  // the others.
  void DefineLayout(std::initializer_list<const char16_t*> names,
                    std::initializer_list<TColumn> others = {});
  // Opens the result table after its columns are defined.
  void OpenResultTable();
  TData* ResultAtBegin();

  TDataHelper& ResultHelper() { return *FResultHelper; }
  TDataHelper& RecordSetHelper() { return *FRecordSetHelper; }

 private:
  std::unique_ptr<TMemData> FResult;
  std::unique_ptr<TLxRecordSet> FRecordSet;
  std::unique_ptr<TDataHelper> FResultHelper;
  std::unique_ptr<TDataHelper> FRecordSetHelper;
  String FOperator = u"=";
};

// A class reference to a metadata provider: its type, to tell whether an object is of that class,
// and how to make one.
struct TLxMetaDataClass {
  const std::type_info* Type = nullptr;
  std::unique_ptr<TLxMetaData> (*Create)() = nullptr;

  template <class T>
  static TLxMetaDataClass Of() {
    return {&typeid(T), []() -> std::unique_ptr<TLxMetaData> { return std::make_unique<T>(); }};
  }
};
