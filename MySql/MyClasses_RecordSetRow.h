// Converts one text row of a MySQL result into a record of the record store: every column by the
// data type its field descriptor (TMySQLFieldDesc) was given, nulls in the record's null bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "Common/MemData.h"
#include "MySql/MySqlApi.h"

class TMySQLFieldDesc;
class TMyTableInfo;

// A NULL blob value is stored as no blob at all: its blob is made when the record is first read
// out of a store that fills its items through the converter (see TDeferredValues), or by the
// first write to the field.
class TMyRowConverter : public TDeferredValues {
 public:
  TMyRowConverter(TData& store, TMySQLAPI& api) : FStore(store), FApi(api) {}
  TMyRowConverter(const TMyRowConverter&) = delete;
  TMyRowConverter& operator=(const TMyRowConverter&) = delete;
  ~TMyRowConverter();

  bool UseUnicode = false;
  // A zero or invalid date reads as NULL (else as 0001-01-01).
  bool NullForZeroDate = true;
  // A valid date-time whose value is 0.0 (1899-12-30 00:00:00) reads as NULL.
  bool NullForZeroTesmarDate = false;
  // The command's compressed-blob mode (TCompressBlobMode): with any but cbNone blobs are made as
  // compressed blobs, and cbClient/cbClientServer keep their content compressed in memory.
  uint8_t CompressBlobMode = 0;

  TMySQLAPI& Api() const { return FApi; }
  // Forget what was learnt of the fields; the next row learns them again.
  void Reset() {
    FColumns.clear();
    FBlobColumns.clear();
  }
  // Fills the record from the row; the record's previous contents are not read. Every field of
  // the store must be a TMySQLFieldDesc with ColumnIndex set to its column.
  void ConvertTextRow(uint8_t* record, PMYSQL_RES result, PMYSQL_ROW row);
  // The same for a binary row of a prepared statement on the own-protocol back end: integers,
  // floats, dates and times come in their binary forms, everything else as in text rows.
  void ConvertStmtRow(uint8_t* record, PMYSQL_STMT stmt, PMYSQL_ROW row);
  // One value given in its text-row form (a library's decimal text, string or blob bytes) into
  // field index (0-based) of the record.
  void ConvertTextValue(uint8_t* record, int index, const char* text, uint32_t length);
  // An empty blob of the kind the settings ask for, rollback on.
  TBlob* CreateBlob(TDataTypeCode dataType) const;
  // Makes the blobs of the NULL blob values of a record stored by the converter.
  void MakeDeferredValues(uint8_t* record) override;
  // The item store the converter fills makes the blobs of NULL values when records are read out
  // (a store of another kind gets them made at once).
  void DeferNullBlobs(TBlockManager* items);

 private:
  // What the conversion needs of one field, gathered once per layout.
  struct TColumnPlan {
    TMySQLFieldDesc* Field;
    int32_t Offset;
    int32_t Size;
    int FieldNo;
    int Column;
    TDataTypeCode DataType;
    uint32_t MySQLType;
    uint32_t Length;
    bool Calculated;
    bool IsBit;
    TMyTableInfo* TimestampTable;  // the table whose largest time stamp this column raises
  };

  void Plan();
  static bool FixedBinary(const TColumnPlan& column);
  template <bool Binary>
  void ConvertRow(uint8_t* record, void* handle, PMYSQL_ROW row);
  template <bool Binary>
  void ConvertValue(const TColumnPlan& column, uint8_t* record, const char* text, uint32_t length);
  void PutBlob(const TColumnPlan& column, uint8_t* record, const char* text, uint32_t length);
  // A value too long for one carved piece, written through the blob.
  void WriteLongBlob(TBlob& blob, const char* text, uint32_t length);
  // Compressed-blob modes: adopts content the server keeps compressed, then compresses or
  // decompresses as the mode keeps it in memory.
  void SettleCompression(const TColumnPlan& column, uint8_t* record, TBlob& blob);

  TData& FStore;
  TMySQLAPI& FApi;
  TLenArr FLengths;
  std::vector<char16_t> FWide;
  std::vector<TColumnPlan> FColumns;
  std::vector<size_t> FBlobColumns;  // the stored blob columns among FColumns
  TBlockManager* FDeferringItems = nullptr;
};
