// Converts one text row of a MySQL result into a record of the record store: every column by the
// data type its field descriptor (TMySQLFieldDesc) was given, nulls in the record's null bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "Common/MemData.h"
#include "MySql/MySqlApi.h"

class TMyRowConverter {
 public:
  TMyRowConverter(TData& store, TMySQLAPI& api) : FStore(store), FApi(api) {}

  bool UseUnicode = false;
  // A zero or invalid date reads as NULL (else as 0001-01-01).
  bool NullForZeroDate = true;
  // A valid date-time whose value is 0.0 (1899-12-30 00:00:00) reads as NULL.
  bool NullForZeroTesmarDate = false;

  // Fills the record from the row; the record's previous contents are not read. Every field of
  // the store must be a TMySQLFieldDesc with ColumnIndex set to its column.
  void ConvertTextRow(uint8_t* record, PMYSQL_RES result, PMYSQL_ROW row);

 private:
  void ConvertValue(int fieldNo, uint8_t* record, const char* text, uint32_t length);
  void PutBlob(int fieldNo, uint8_t* record, const char* text, uint32_t length);

  TData& FStore;
  TMySQLAPI& FApi;
  TLenArr FLengths;
  std::vector<char16_t> FWide;
};
