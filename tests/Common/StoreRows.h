// Reads a record store from its beginning: every row with its columns joined by "|", a null
// column written <null>.
#pragma once

#include <string>
#include <vector>

#include "Common/MemData.h"
#include "platform/rtl/UnicodeText.h"

inline std::string StoreText(const Variant& v) {
  return v.IsNull() ? "<null>" : UTF8Encode(v.AsString());
}

inline std::vector<std::string> StoreRows(TData* data) {
  std::vector<std::string> rows;
  uint8_t* buf = data->AllocRecBuf();
  data->SetToBegin();
  for (;;) {
    data->GetNextRecord(buf);
    if (data->GetEOF()) break;
    std::string row;
    for (int f = 1; f <= data->FieldCount(); ++f)
      row += (f > 1 ? "|" : "") + StoreText(data->GetFieldAsVariant(f, buf));
    rows.push_back(row);
  }
  data->FreeRecBuf(buf);
  return rows;
}
