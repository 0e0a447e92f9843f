// Arbitrary filter expressions on a small record store with a column of each kind the filter
// compares. A filter that does not parse raises the library's error; a crash, a leak or a hang is
// a finding.
#include <cstddef>
#include <cstdint>

#include "Common/MemData.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

struct TColumn {
  const char16_t* Name;
  TDataTypeCode Type;
  int32_t Size;
};

class TFuzzStore : public TMemData {
 public:
  void DetectCommandType() override {
    static const TColumn columns[] = {
        {u"ID", dtInteger, 4},          {u"NAME", dtString, 21},   {u"AMOUNT", dtFloat, 8},
        {u"BORN", dtDate, 8},           {u"ACTIVE", dtBoolean, 2}, {u"CITY", dtExtString, 8},
        {u"Order Date", dtDateTime, 8}, {u"NOTE", dtWideString, 42}};
    for (const TColumn& c : columns) {
      TFieldDesc* field = GetFieldDescClass()();
      field->SetName(c.Name);
      field->SetSourceName(c.Name);
      field->SetDataType(c.Type);
      field->SetLength(c.Type == dtString ? 20 : c.Type == dtWideString ? 20 : 0);
      field->SetSize(c.Size);
      Fields().Add(field);
    }
  }
  void InternalOpen() override {}
  void InternalClose() override {}
};

void Append(TFuzzStore& store, std::initializer_list<Variant> values) {
  uint8_t* buf = store.AllocRecBuf();
  store.InitRecord(buf);
  store.CreateComplexFields(buf, true);
  int fieldNo = 1;
  for (const Variant& value : values) store.PutFieldAsVariant(fieldNo++, buf, value);
  store.AppendRecord(buf);
  store.FreeRecBuf(buf);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = [] {
    SetCollationLocale("ru_RU");
    return true;
  }();
  (void)once;
  TFuzzStore store;
  store.InitFields();
  store.Open();
  const Variant null = Variant::Null();
  Append(store, {1, "John", 150.5, Variant::FromDate(EncodeDate(1990, 5, 1)), true, "Москва",
                 Variant::FromDate(EncodeDate(2024, 1, 15)), u"alpha"});
  Append(store, {2, null, null, null, null, null, null, null});
  Append(store, {3, "O'Brien", -0.5, Variant::FromDate(EncodeDate(2000, 2, 29)), false, "",
                 Variant::FromDate(EncodeDate(1899, 12, 30)), u"Ωmega"});
  const String filter = UTF8ToString(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    store.SetFilterText(filter);
    store.FilterUpdated();
    uint8_t* buf = store.AllocRecBuf();
    store.SetToBegin();
    for (store.GetNextRecord(buf); !store.GetEOF(); store.GetNextRecord(buf)) {
    }
    store.FreeRecBuf(buf);
  } catch (const Exception&) {
  }
  store.Close();
  return 0;
}
