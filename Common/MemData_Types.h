// The vocabulary every record store speaks: data-type codes, field descriptors, and the
// reference-counted value holders that record buffers point to. Part of unit MemData.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"

// The 16-bit type code of a column. The record store lays out and converts values by it.
using TDataTypeCode = uint16_t;

constexpr TDataTypeCode dtUnknown = 0;
constexpr TDataTypeCode dtString = 1;         // zero-terminated ANSI text in the record
constexpr TDataTypeCode dtInt8 = 2;           // 1 or 2 bytes, signed
constexpr TDataTypeCode dtSmallint = 3;
constexpr TDataTypeCode dtInteger = 4;
constexpr TDataTypeCode dtFloat = 5;
constexpr TDataTypeCode dtDate = 6;
constexpr TDataTypeCode dtTime = 7;
constexpr TDataTypeCode dtDateTime = 8;
constexpr TDataTypeCode dtWord = 9;
constexpr TDataTypeCode dtBoolean = 10;
constexpr TDataTypeCode dtLargeint = 11;
constexpr TDataTypeCode dtCurrency = 12;      // currency held as a double
constexpr TDataTypeCode dtBlob = 13;
constexpr TDataTypeCode dtMemo = 14;
constexpr TDataTypeCode dtObject = 15;        // reserved
constexpr TDataTypeCode dtReference = 16;     // reserved
constexpr TDataTypeCode dtArray = 17;         // reserved
constexpr TDataTypeCode dtTable = 18;         // reserved
constexpr TDataTypeCode dtVariant = 19;
constexpr TDataTypeCode dtExtString = 20;     // ANSI text held by reference in the string heap
constexpr TDataTypeCode dtBytes = 21;
constexpr TDataTypeCode dtVarBytes = 22;
constexpr TDataTypeCode dtExtVarBytes = 23;   // length-prefixed bytes held by reference
constexpr TDataTypeCode dtUInt32 = 24;
constexpr TDataTypeCode dtWideString = 25;    // zero-terminated UTF-16 text in the record
constexpr TDataTypeCode dtExtWideString = 26; // UTF-16 text held by reference
constexpr TDataTypeCode dtBCD = 27;           // exact decimal as a currency integer
constexpr TDataTypeCode dtFMTBCD = 28;        // 34-byte BCD record
constexpr TDataTypeCode dtGuid = 29;
constexpr TDataTypeCode dtWideMemo = 30;
constexpr TDataTypeCode dtSQLTimeStamp = 31;
constexpr TDataTypeCode dtCursor = 32;        // reserved

// A reference-counted value that record buffers point to. Every buffer, rollback copy or caller
// that keeps the pointer holds one reference; the last release frees the object.
class TSharedObject {
 public:
  TSharedObject() = default;
  TSharedObject(const TSharedObject&) = delete;
  TSharedObject& operator=(const TSharedObject&) = delete;

  int32_t RefCount() const { return FRefCount; }
  void AddRef() { ++FRefCount; }
  // Drops one reference and frees the object with the last one. An object already at 0 is an
  // internal fault.
  void Free();
  void ReleaseAlias() { Free(); }
  // Free for a pointer that may be nil.
  static void Release(TSharedObject* obj) {
    if (obj) obj->Free();
  }
  // The value a record buffer stores for the object: its own address.
  void* GetHandle() { return this; }

  virtual void EmptyHook() {}
  virtual const char* ClassName() const { return "TSharedObject"; }

 protected:
  // Only Free destroys a shared object.
  virtual ~TSharedObject() { FRefCount = 0; }

 private:
  int32_t FRefCount = 1;
};

class TFieldDesc;
// A class reference for descriptors: a store makes descriptors of its own class through it.
using TFieldDescClass = TFieldDesc* (*)();

// One column of a record store: its name, type code, size and place in the record buffer.
class TFieldDesc {
 public:
  TFieldDesc() = default;
  virtual ~TFieldDesc();
  TFieldDesc(const TFieldDesc&) = delete;
  TFieldDesc& operator=(const TFieldDesc&) = delete;

  static TFieldDesc* Create() { return new TFieldDesc(); }

  const String& Name() const { return FName; }
  void SetName(const String& v) { FName = v; }
  const String& SourceName() const { return FSourceName; }
  void SetSourceName(const String& v) { FSourceName = v; }
  TDataTypeCode DataType() const { return FDataType; }
  void SetDataType(TDataTypeCode v) { FDataType = v; }
  uint16_t SubDataType() const { return FSubDataType; }
  void SetSubDataType(uint16_t v) { FSubDataType = v; }
  uint16_t Length() const { return FLength; }
  void SetLength(uint16_t v) { FLength = v; }
  uint16_t Scale() const { return FScale; }
  void SetScale(uint16_t v) { FScale = v; }
  uint16_t FieldNo() const { return FFieldNo; }
  void SetFieldNo(uint16_t v) { FFieldNo = v; }
  int16_t ColumnIndex() const { return FColumnIndex; }
  void SetColumnIndex(int16_t v) { FColumnIndex = v; }
  int32_t Size() const { return FSize; }
  void SetSize(int32_t v) { FSize = v; }
  int32_t Offset() const { return FOffset; }
  void SetOffset(int32_t v) { FOffset = v; }
  bool Required() const { return FRequired; }
  void SetRequired(bool v) { FRequired = v; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  bool IsKey() const { return FIsKey; }
  void SetIsKey(bool v) { FIsKey = v; }
  bool Fixed() const { return FFixed; }
  void SetFixed(bool v) { FFixed = v; }
  bool Hidden() const { return FHidden; }
  void SetHidden(bool v) { FHidden = v; }
  // The description of an object, array or table column; the descriptor holds one reference.
  TSharedObject* ObjectType() const { return FObjectType; }
  void SetObjectType(TSharedObject* v);
  TFieldDesc* OwnerField() const { return FOwnerField; }
  void SetOwnerField(TFieldDesc* v) { FOwnerField = v; }
  bool HasParent() const { return FOwnerField != nullptr; }
  uint8_t NameClash() const { return FNameClash; }
  void SetNameClash(uint8_t v) { FNameClash = v; }
  // 0: a provider column; 1: calculated, stored in the data area; 2: stored in the calculated area.
  uint8_t CalcKind() const { return FCalcKind; }
  void SetCalcKind(uint8_t v) { FCalcKind = v; }
  bool IsAutoIncrement() const { return FIsAutoIncrement; }
  void SetIsAutoIncrement(bool v) { FIsAutoIncrement = v; }

 private:
  String FName;
  String FSourceName;
  TDataTypeCode FDataType = 0;
  uint16_t FSubDataType = 0;
  uint16_t FLength = 0;
  uint16_t FScale = 0;
  uint16_t FFieldNo = 0;
  int16_t FColumnIndex = 0;
  int32_t FSize = 0;
  int32_t FOffset = 0;
  bool FRequired = false;
  bool FReadOnly = false;
  bool FIsKey = false;
  bool FFixed = false;
  bool FHidden = false;
  TSharedObject* FObjectType = nullptr;
  TFieldDesc* FOwnerField = nullptr;
  uint8_t FNameClash = 0;
  uint8_t FCalcKind = 0;
  bool FIsAutoIncrement = false;
};

// The descriptors of a store, owned: clearing or destroying the list frees them.
class TFieldDescs {
 public:
  TFieldDescs() = default;
  ~TFieldDescs() { Clear(); }
  TFieldDescs(const TFieldDescs&) = delete;
  TFieldDescs& operator=(const TFieldDescs&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  TFieldDesc* GetItem(int index) const { return FItems[static_cast<size_t>(index)]; }
  TFieldDesc* operator[](int index) const { return GetItem(index); }
  // Takes ownership.
  void Add(TFieldDesc* field) { FItems.push_back(field); }
  void Clear();

  // Top-level names first, then source names (for paths) or sub-field names; nil when none.
  TFieldDesc* FindField(const String& name) const;
  // As FindField, but a missing name raises "Field %s not found".
  TFieldDesc* FieldByName(const String& name) const;

  std::vector<TFieldDesc*>::const_iterator begin() const { return FItems.begin(); }
  std::vector<TFieldDesc*>::const_iterator end() const { return FItems.end(); }

 private:
  std::vector<TFieldDesc*> FItems;
};

// Process-wide hooks of the unit: a wait indicator around server work and the application's name.
// Nothing installs them by default; they are called only when set.
using TProcedure = void (*)();
using TGetApplicationNameProc = String (*)();
extern TProcedure StartWaitProc;
extern TProcedure StopWaitProc;
extern TGetApplicationNameProc ApplicationNameProc;
void StartWait();
void StopWait();
String GetApplicationName();
