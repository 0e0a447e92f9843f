// TMemDataSet: locate and lookup. Keys become values in the store's comparable form; keys that
// match the store's leading sort columns are found by a binary search over record numbers and a
// walk over the equal run, the rest by visiting records in order.
#include <cstring>

#include "Common/MemDS.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr char16_t SCannotConvertType[] = u"Cannot convert type";

template <class T>
void PutValue(TBytes& buffer, T value) {
  buffer.resize(sizeof value);
  std::memcpy(buffer.data(), &value, sizeof value);
}

void PutText(TBytes& buffer, const AnsiString& text) {
  buffer.assign(text.begin(), text.end());
  buffer.push_back(0);
}

void PutWideText(TBytes& buffer, const String& text) {
  buffer.assign((text.size() + 1) * 2, 0);
  if (!text.empty()) std::memcpy(buffer.data(), text.data(), text.size() * 2);
}

// A 16-bit length, then the bytes (at most 65,535 of them).
void PutBytes(TBytes& buffer, const TBytes& bytes) {
  const auto length = static_cast<uint16_t>(std::min<size_t>(bytes.size(), UINT16_MAX));
  buffer.resize(2u + length);
  std::memcpy(buffer.data(), &length, 2);
  if (length) std::memcpy(buffer.data() + 2, bytes.data(), length);
}

// The Boolean in its first byte; comparisons read it as a 16-bit value.
void PutBoolean(TBytes& buffer, bool value) {
  buffer.assign(2, 0);
  buffer[0] = value ? 1 : 0;
}

bool IsBytesCode(TDataTypeCode code) {
  return code == dtBytes || code == dtVarBytes || code == dtExtVarBytes;
}

bool IsUnconvertible(TDataTypeCode code) {
  return code == dtUnknown || (code >= dtObject && code <= dtTable) || code > dtWideMemo;
}

// Comparison flags of the search options.
int CompareFlags(TSearchOptions options) {
  int flags = 0;
  if (options.Contains(soCaseInsensitive)) flags |= cfCaseInsensitive;
  if (options.Contains(soPartialKey)) flags |= cfPartial;
  if (options.Contains(soPartialCompare)) flags |= cfContains;
  return flags;
}

TSearchOptions LocateBits(TSearchOptions options) {
  TSearchOptions bits;
  if (options.Contains(soCaseInsensitive)) bits.Include(soCaseInsensitive);
  if (options.Contains(soPartialKey)) bits.Include(soPartialKey);
  return bits;
}

}  // namespace

// ---- Key values.

bool TMemDataSet::GetKeyValueBuffer(const Variant& value, TBytes& buffer, bool convert,
                                    TFieldDesc* fieldDesc, TDataTypeCode& valueType) {
  buffer.clear();
  const TDataTypeCode code = fieldDesc->DataType();
  valueType = code;
  if (value.IsNull() || value.IsEmpty()) return false;

  Variant typed = value;
  if (VarIsStr(value)) {
    const String text = value.AsString();
    if (convert) {
      switch (code) {
        case dtInt8: case dtSmallint: case dtInteger: case dtWord:
          typed = Variant(StrToInt(text));
          break;
        case dtFloat: case dtCurrency: case dtBCD: case dtFMTBCD:
          typed = Variant(StrToFloat(text));
          break;
        case dtDate: typed = Variant::FromDate(StrToDate(text)); break;
        case dtTime: typed = Variant::FromDate(StrToTime(text)); break;
        case dtDateTime: typed = Variant::FromDate(StrToDateTime(text)); break;
        case dtBoolean: typed = Variant(value.AsBoolean()); break;
        case dtLargeint: case dtUInt32: typed = Variant(StrToInt64(text)); break;
        case dtBytes: case dtVarBytes: case dtExtVarBytes: {
          const AnsiString bytes = UTF8Encode(text);
          PutBytes(buffer, TBytes(bytes.begin(), bytes.end()));
          return true;
        }
        case dtWideString: case dtExtWideString: case dtWideMemo:
          PutWideText(buffer, text);
          valueType = dtWideString;
          return true;
        default:
          if (IsUnconvertible(code)) throw EConvertError(SCannotConvertType);
          PutText(buffer, UTF8Encode(text));
          valueType = dtString;
          return true;
      }
    } else {
      // Unconverted text compares as text with the field's value as text.
      if (code == dtBoolean) {
        PutBoolean(buffer, value.AsBoolean());
      } else if (IsBytesCode(code)) {
        const AnsiString bytes = UTF8Encode(text);
        PutBytes(buffer, TBytes(bytes.begin(), bytes.end()));
      } else if (code == dtWideString || code == dtExtWideString) {
        PutWideText(buffer, text);
        valueType = dtWideString;
      } else {
        PutText(buffer, UTF8Encode(text));
        valueType = dtString;
      }
      return true;
    }
  }

  switch (code) {
    case dtString: case dtExtString:
      PutText(buffer, typed.AsAnsiString());
      valueType = dtString;
      break;
    case dtInt8: case dtSmallint: case dtInteger: case dtWord:
      PutValue(buffer, typed.AsInteger());
      break;
    case dtFloat: case dtCurrency: case dtDate: case dtTime: case dtDateTime: case dtBCD:
      PutValue(buffer, code == dtFloat || code == dtCurrency || code == dtBCD
                           ? typed.AsDouble()
                           : static_cast<double>(typed.AsDateTime()));
      break;
    case dtBoolean:
      PutBoolean(buffer, typed.AsBoolean());
      break;
    case dtLargeint:
      PutValue(buffer, typed.AsInt64());
      break;
    case dtUInt32:
      PutValue(buffer, static_cast<uint32_t>(typed.AsInt64()));
      break;
    case dtBytes: case dtVarBytes: case dtExtVarBytes:
      RTL_ASSERT(typed.VarType() == (varArray | varByte), u"Invalid VType");
      PutBytes(buffer, typed.AsBytes());
      break;
    case dtWideString: case dtExtWideString:
      PutWideText(buffer, typed.AsString());
      valueType = dtWideString;
      break;
    case dtFMTBCD: {
      const TBcd bcd = typed.AsBcd();
      buffer.assign(sizeof bcd + 2, 0);
      std::memcpy(buffer.data(), &bcd, sizeof bcd);
      break;
    }
    default:
      throw EConvertError(SCannotConvertType);
  }
  return true;
}

// ---- The search.

struct TMemDataSet::TLocateKey {
  // Frees a variant key's object with the key.
  struct TVariantRelease {
    void operator()(TVariantObject* object) const {
      if (object) object->Free();
    }
  };

  TFieldDesc* Field = nullptr;
  Variant Value;
  TBytes Buffer;
  bool Present = false;
  TDataTypeCode ValueType = 0;
  // Set for the keys that match leading sort columns.
  bool Sorted = false;
  bool Binary = false;
  bool Descending = false;
  std::unique_ptr<TVariantObject, TVariantRelease> VariantValue;
};

bool TMemDataSet::PrepareLocateKeys(std::vector<TLocateKey>& keys) {
  auto prepare = [this, &keys](bool convertSorted) {
    for (TLocateKey& key : keys) {
      key.VariantValue.reset();
      if (key.Field->DataType() == dtVariant) {
        // A variant column compares with a variant object.
        key.Present = !key.Value.IsNull() && !key.Value.IsEmpty();
        key.ValueType = dtVariant;
        key.Buffer.clear();
        if (key.Present) {
          key.VariantValue.reset(new TVariantObject());
          key.VariantValue->SetValue(key.Value);
          TVariantObject* object = key.VariantValue.get();
          PutValue(key.Buffer, object);
        }
        continue;
      }
      key.Present = GetKeyValueBuffer(key.Value, key.Buffer, convertSorted && key.Sorted,
                                      key.Field, key.ValueType);
    }
  };
  try {
    prepare(true);
    return true;
  } catch (const Exception&) {
    // A key that does not convert to its column's type cannot be ordered with it: every key
    // then compares by visiting the records.
    for (TLocateKey& key : keys) key.Sorted = false;
    prepare(false);
    return false;
  }
}

int TMemDataSet::CompareLocateKey(const TLocateKey& key, uint8_t* recBuf, int flags) {
  const bool fieldNull = FData->GetNull(key.Field->FieldNo(), recBuf);
  if (!key.Present) return fieldNull ? 0 : -1;
  if (fieldNull) return 1;
  auto* memData = static_cast<TMemData*>(FData.get());
  const int result =
      memData->CompareFieldValue(key.Buffer.data(), key.ValueType, flags, recBuf, key.Field);
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

uint8_t* TMemDataSet::ReadForCompare(bool withCalcFields) {
  TRecordBuffer buffer = TempBuffer();
  FData->GetRecord(buffer);
  if (withCalcFields) GetCalcFields(buffer);
  return buffer;
}

// One search of Locate: the keys in the order they compare, and the steps that find the record.
// The keys that match the store's leading sort columns are searched by halving the records; the
// others by visiting them.
struct TMemDataSet::TLocateSearch {
  TMemDataSet& DataSet;
  TMemData& Data;
  TSearchOptions Options;
  std::vector<TLocateKey> Keys;
  size_t SortedCount = 0;
  int Flags = 0;
  bool Backward = false;
  bool NeedCalc = false;

  TLocateSearch(TMemDataSet& dataSet, TMemData& data, TSearchOptions options)
      : DataSet(dataSet),
        Data(data),
        Options(options),
        Flags(CompareFlags(options)),
        Backward(options.Contains(soBackward)) {}

  // A value array gives each field its value; anything else is the first field's value. A byte
  // array is one value (a binary key), however few bytes it holds.
  void TakeKeys(const std::vector<TFieldDesc*>& fields, const Variant& keyValues) {
    Keys.resize(fields.size());
    const bool spread =
        keyValues.IsArray() && keyValues.VarType() != (varArray | varByte) &&
        !(fields.size() == 1 && keyValues.DimCount() == 1 &&
          keyValues.HighBound(1) > keyValues.LowBound(1));
    for (size_t i = 0; i < fields.size(); ++i) {
      Keys[i].Field = fields[i];
      if (!spread) {
        Keys[i].Value = i == 0 ? keyValues : Variant::Null();
      } else {
        const int index = keyValues.LowBound(1) + static_cast<int>(i);
        Keys[i].Value = index <= keyValues.HighBound(1) ? keyValues[index] : Variant::Null();
      }
      if (fields[i]->CalcKind() == 2) NeedCalc = true;
    }
  }

  // Moves the keys that match the leading sort columns (in the search's case mode) to the front.
  void PutSortedKeysFirst() {
    if (Options.Contains(soPartialKey) || Options.Contains(soNearest) ||
        Options.Contains(soPartialCompare))
      return;
    for (const TSortColumn& column : Data.SortColumns()) {
      const bool caseInsensitive = column.SortKind == stCaseInsensitive;
      if (caseInsensitive != Options.Contains(soCaseInsensitive)) break;
      size_t at = SortedCount;
      while (at < Keys.size() && Keys[at].Field != column.Field) ++at;
      if (at == Keys.size()) break;
      std::swap(Keys[SortedCount], Keys[at]);
      Keys[SortedCount].Sorted = true;
      Keys[SortedCount].Binary = column.SortKind == stBinary;
      Keys[SortedCount].Descending = column.Descending != 0;
      ++SortedCount;
    }
  }

  // The sorted keys against a record: the sign of key minus record in the store's order (a
  // descending column turns it), 0 when they are equal.
  int CompareSortedKeys(uint8_t* record) {
    for (size_t i = 0; i < SortedCount; ++i) {
      int result =
          DataSet.CompareLocateKey(Keys[i], record, Flags | (Keys[i].Binary ? cfBinary : 0));
      if (Keys[i].Descending) result = -result;
      if (result != 0) return result;
    }
    return 0;
  }
  int CompareSortedAt(int recNo) {
    Data.SetRecNo(recNo);
    return CompareSortedKeys(DataSet.ReadForCompare(NeedCalc));
  }

  bool MatchesAll(uint8_t* record) {
    for (const TLocateKey& key : Keys) {
      const int result = DataSet.CompareLocateKey(key, record, Flags);
      if (result == 0) continue;
      // With soNearest a present key that sorts before a present field matches too.
      if (Options.Contains(soNearest) && result < 0 && key.Present &&
          !Data.GetNull(key.Field->FieldNo(), record))
        continue;
      return false;
    }
    return true;
  }

  // The range of record numbers the sorted search covers; false when the start is past the
  // records (a next search on the last record, a backward one on the first).
  bool SortedRange(int& first, int& last) {
    first = 1;
    last = Data.GetRecordCount();
    bool inRange = true;
    if (Options.Contains(soNext) && !Backward) {
      Data.GetNextRecord(nullptr);
      if (Data.GetEOF()) inRange = false;
      first = Data.GetRecNo();
    }
    if (Backward) {
      Data.GetPriorRecord(nullptr);
      if (Data.GetBOF()) inRange = false;
      last = Data.GetRecNo();
    }
    return inRange && first <= last;
  }

  // A record number whose sorted keys equal the search's, by halving the range; 0 when none.
  int HalveForSortedKeys(int first, int last) {
    Data.BuildRecordNoCache();
    int low = first, high = last;
    int c = CompareSortedAt(low);
    if (c == 0) return low;
    if (c < 0) return 0;
    c = CompareSortedAt(high);
    if (c == 0) return high;
    while (c < 0 && high - low > 1) {
      const int middle = low + (high - low) / 2;
      const int m = CompareSortedAt(middle);
      if (m == 0) return middle;
      if (m < 0)
        high = middle;
      else
        low = middle;
    }
    return 0;
  }

  // The first (backwards: the last) record of the run of equal sorted keys around hit.
  int StartOfRun(int hit, int first, int last) {
    if (!Backward)
      while (hit > first && CompareSortedAt(hit - 1) == 0) --hit;
    else
      while (hit < last && CompareSortedAt(hit + 1) == 0) ++hit;
    return hit;
  }

  // Positions the store on the start of the run of records whose sorted keys match; false when
  // no record has them.
  bool FindSortedRun() {
    int first = 0, last = 0;
    if (!SortedRange(first, last)) return false;
    const int hit = HalveForSortedKeys(first, last);
    if (hit == 0) return false;
    Data.SetRecNo(StartOfRun(hit, first, last));
    return true;
  }

  // Visits the records from the current one (fromRun: the start of the run of matching sorted
  // keys, visited first and left at the run's end) or from the search's start.
  bool VisitRecords(bool fromRun) {
    if (!fromRun && !Options.Contains(soNext) && !Backward) Data.SetToBegin();
    for (bool firstVisit = fromRun;; firstVisit = false) {
      if (firstVisit)
        Data.GetRecord(DataSet.TempBuffer());
      else if (Backward)
        Data.GetPriorRecord(DataSet.TempBuffer());
      else
        Data.GetNextRecord(DataSet.TempBuffer());
      if (Data.GetEOF() || Data.GetBOF()) return Options.Contains(soNearest);
      uint8_t* record = DataSet.TempBuffer();
      if (NeedCalc) DataSet.GetCalcFields(record);
      // Past the run of equal sorted keys no record can match.
      if (fromRun && CompareSortedKeys(record) != 0) return false;
      if (MatchesAll(record)) return true;
    }
  }

  bool Run() {
    if (SortedCount == 0) return VisitRecords(false);
    if (!FindSortedRun()) return false;
    // Every key sorted: the run's start is the record; else the rest compare along the run.
    return SortedCount == Keys.size() || VisitRecords(true);
  }
};

bool TMemDataSet::LocateRecord(std::vector<TFieldDesc*> fields, const Variant& keyValues,
                               bool restorePosition, TSearchOptions options) {
  if (fields.empty()) return false;
  auto* memData = dynamic_cast<TMemData*>(FData.get());
  RTL_ASSERT(memData != nullptr, u"Locate needs an in-memory record store");
  CheckBrowseMode();
  CursorPosChanged();
  UpdateCursorPos();
  FreeRefComplexFields(TempBuffer());
  TRecBookmark saved{};
  FData->GetBookmark(&saved);

  TLocateSearch search(*this, *memData, options);
  search.TakeKeys(fields, keyValues);
  search.PutSortedKeysFirst();
  if (!PrepareLocateKeys(search.Keys)) search.SortedCount = 0;
  const bool found = search.Run();

  // The found record stays in the temporary buffer (Lookup reads it there).
  if (found && !FData->GetEOF() && !FData->GetBOF()) ReadForCompare(false);
  if ((restorePosition || !found) && !(FData->GetBOF() && FData->GetEOF()))
    FData->SetToBookmark(&saved);
  return found;
}

bool TMemDataSet::LocateRecordByNames(const String& keyFields, const Variant& keyValues,
                                      bool restorePosition, TSearchOptions options) {
  std::vector<TFieldDesc*> fields;
  for (const String& name : SplitFieldNames(keyFields))
    if (TFieldDesc* desc = FData->FindField(name)) fields.push_back(desc);
  return LocateRecord(std::move(fields), keyValues, restorePosition, options);
}

bool TMemDataSet::LocateRecordFields(const std::vector<TField*>& fields, const Variant& keyValues,
                                     bool restorePosition, TSearchOptions options) {
  CheckActive();
  std::vector<TFieldDesc*> descs;
  for (TField* field : fields) {
    if (!field) continue;
    if (TFieldDesc* desc = GetFieldDesc(field)) descs.push_back(desc);
  }
  return LocateRecord(std::move(descs), keyValues, restorePosition, options);
}

// ---- The platform's locate and lookup, and the extended forms.

bool TMemDataSet::Locate(const String& keyFields, const Variant& keyValues,
                         TLocateOptions options) {
  DoBeforeScroll();
  TSearchOptions search;
  if (options.Contains(loCaseInsensitive)) search.Include(soCaseInsensitive);
  if (options.Contains(loPartialKey)) search.Include(soPartialKey);
  const bool found = LocateRecordByNames(keyFields, keyValues, false, search);
  if (found) {
    Resync({rmExact, rmCenter});
    DoAfterScroll();
  }
  return found;
}

Variant TMemDataSet::Lookup(const String& keyFields, const Variant& keyValues,
                            const String& resultFields) {
  if (!LocateRecordByNames(keyFields, keyValues, true, TSearchOptions())) return Variant::Null();
  // The found record is in the temporary buffer; the cursor never moved.
  const TDataSetState saved = SetTempState(dsCalcFields);
  Variant result;
  try {
    CalculateFields(TempBuffer());
    result = FieldValues(resultFields);
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  return result;
}

bool TMemDataSet::LocateEx(const std::vector<TField*>& fields, TSearchOptions options,
                           const Variant& values) {
  DoBeforeScroll();
  const bool found = LocateRecordFields(fields, values, false, LocateBits(options));
  if (found) {
    Resync({rmExact, rmCenter});
    DoAfterScroll();
  }
  return found;
}

bool TMemDataSet::DoLocate(const std::vector<TField*>& fields, TSearchOptions options,
                           const Variant& values) {
  DoBeforeScroll();
  const bool found = LocateRecordFields(fields, values, false, options);
  if (found) {
    if (FData->GetBOF() || FData->GetEOF())
      Resync(TResyncMode());
    else
      Resync({rmExact, rmCenter});
    DoAfterScroll();
  }
  return found;
}
