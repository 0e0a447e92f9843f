// A record store with hand-described columns for the record store's tests.
#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Common/MemData.h"

namespace memdata_test {

struct Column {
  String name;
  TDataTypeCode type;
  uint16_t length = 0;
  uint8_t calcKind = 0;
  bool fixed = false;
  uint16_t scale = 0;
};

// The stored size of a column of that type and length.
inline int32_t StoredSize(TDataTypeCode type, uint16_t length) {
  switch (type) {
    case dtString: case dtGuid: return length + 1;
    case dtWideString: return (length + 1) * 2;
    case dtInt8: return 1;
    case dtSmallint: case dtWord: case dtBoolean: return 2;
    case dtInteger: case dtUInt32: return 4;
    case dtBytes: return length;
    case dtVarBytes: return length + 2;
    case dtFMTBCD: return 34;
    case dtSQLTimeStamp: return 16;
    default: return 8;
  }
}

class TestStore : public TMemData {
 public:
  explicit TestStore(std::vector<Column> columns) : FColumns(std::move(columns)) {}

  void DetectCommandType() override {
    for (const Column& c : FColumns) {
      TFieldDesc* field = GetFieldDescClass()();
      field->SetName(c.name);
      field->SetSourceName(c.name);
      field->SetDataType(c.type);
      field->SetLength(c.length);
      field->SetScale(c.scale);
      field->SetSize(StoredSize(c.type, c.length));
      field->SetCalcKind(c.calcKind);
      field->SetFixed(c.fixed);
      Fields().Add(field);
    }
  }
  bool GetConvertEOL() override { return ConvertEOL; }
  void InternalOpen() override {
    if (OnInternalOpen) OnInternalOpen();
  }
  void InternalClose() override {
    if (OnInternalClose) OnInternalClose();
  }

  bool ConvertEOL = false;
  std::function<void()> OnInternalOpen;
  std::function<void()> OnInternalClose;

 private:
  std::vector<Column> FColumns;
};

// A record buffer of a store. A new record's buffer owns its values until it is handed to the
// store; a buffer that only reads stored records (newRecord false) owns nothing.
class RecBuf {
 public:
  explicit RecBuf(TData& store, bool newRecord = true)
      : FStore(store), FBuf(store.AllocRecBuf()), FOwnsValues(newRecord) {
    store.InitRecord(FBuf);
    if (newRecord) store.CreateComplexFields(FBuf, true);
  }
  ~RecBuf() {
    if (FOwnsValues) FStore.FreeComplexFields(FBuf, true);
    FStore.FreeRecBuf(FBuf);
  }
  RecBuf(const RecBuf&) = delete;
  RecBuf& operator=(const RecBuf&) = delete;
  uint8_t* get() const { return FBuf; }
  operator uint8_t*() const { return FBuf; }
  // The store took the values (the buffer was stored); the buffer must not release them.
  void Handed() { FOwnsValues = false; }
  void Reset() {
    FStore.InitRecord(FBuf);
    FStore.CreateComplexFields(FBuf, true);
    FOwnsValues = true;
  }

 private:
  TData& FStore;
  uint8_t* FBuf;
  bool FOwnsValues;
};

template <typename T>
T ReadValue(TData& store, int fieldNo, uint8_t* buf, bool* isNull = nullptr) {
  T value{};
  bool blank = false;
  store.GetField(fieldNo, buf, &value, blank);
  if (isNull) *isNull = blank;
  return value;
}

inline std::string ReadText(TData& store, int fieldNo, uint8_t* buf) {
  char text[1024] = {};
  bool blank = false;
  store.GetField(fieldNo, buf, text, blank);
  return blank ? std::string("<null>") : std::string(text);
}

inline std::u16string ReadWide(TData& store, int fieldNo, uint8_t* buf) {
  char16_t text[1024] = {};
  bool blank = false;
  store.GetField(fieldNo, buf, text, blank);
  return blank ? std::u16string(u"<null>") : std::u16string(text);
}

inline void PutWide(TData& store, int fieldNo, uint8_t* buf, const char16_t* text) {
  store.PutField(fieldNo, buf, false, &text);  // the dataset hands a pointer to the text
}

// Stores a record of an integer id (field 1) and the text "name <id>" (field 2): appended, or
// inserted before the current record.
// The integer ids of field 1 in list order, counted by walking the store from its start.
inline std::vector<int32_t> WalkedIds(TData& store) {
  std::vector<int32_t> ids;
  RecBuf buf(store, false);
  store.SetToBegin();
  for (store.GetNextRecord(buf); !store.GetEOF(); store.GetNextRecord(buf))
    ids.push_back(ReadValue<int32_t>(store, 1, buf));
  return ids;
}

inline void StoreIdAndName(TMemData& store, int32_t id, bool append) {
  RecBuf buf(store);
  store.PutField(1, buf, false, &id);
  const std::string name = "name " + std::to_string(id);
  store.PutField(2, buf, false, name.c_str());
  if (append)
    store.AppendRecord(buf);
  else
    store.InsertRecord(buf);
  buf.Handed();
}

// Appends a record with the values in field order; a Null value leaves its field null.
inline void AppendRow(TMemData& store, std::initializer_list<Variant> values) {
  RecBuf buf(store);
  int fieldNo = 1;
  for (const Variant& value : values) store.PutFieldAsVariant(fieldNo++, buf, value);
  store.AppendRecord(buf);
  buf.Handed();
}

// The values of one field of the visible records, first to last.
inline std::vector<Variant> VisibleValues(TMemData& store, int fieldNo) {
  std::vector<Variant> values;
  RecBuf buf(store, false);
  store.SetToBegin();
  for (store.GetNextRecord(buf); !store.GetEOF(); store.GetNextRecord(buf))
    values.push_back(store.GetFieldAsVariant(fieldNo, buf));
  return values;
}

// The integer values of one field of the visible records; a null reads as -1.
inline std::vector<int> VisibleInts(TMemData& store, int fieldNo) {
  std::vector<int> ints;
  for (const Variant& v : VisibleValues(store, fieldNo))
    ints.push_back(v.IsNull() ? -1 : v.AsInteger());
  return ints;
}

// Every visible record has the next record number and RecordCount counts them.
inline ::testing::AssertionResult NumbersAreConsecutive(TMemData& store) {
  int32_t expected = 0;
  for (TRecordItem* it = store.FirstItem(); it; it = it->Next) {
    if (store.IsItemHidden(it)) {
      if (it->Order != 0) return ::testing::AssertionFailure() << "hidden item numbered";
      continue;
    }
    if (store.RecNoOf(it) != ++expected)
      return ::testing::AssertionFailure()
             << "item " << expected << " has number " << store.RecNoOf(it);
  }
  if (expected != store.GetRecordCount())
    return ::testing::AssertionFailure()
           << expected << " visible, RecordCount " << store.GetRecordCount();
  return ::testing::AssertionSuccess();
}

}  // namespace memdata_test
