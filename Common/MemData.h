// Unit MemData: the record store behind every dataset. TData lays out record buffers from field
// descriptors and moves values in and out of them; TMemData keeps the records in memory as a
// linked list of items and navigates it.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Common/MemData_Blob.h"
#include "Common/MemData_Filter.h"
#include "Common/MemData_RecNoIndex.h"
#include "Common/MemData_Storage.h"
#include "platform/db/DBTypes.h"
#include "Common/MemData_Types.h"
#include "platform/rtl/Variant.h"

// The value of a variant field (code 19): record buffers point to it and share it by reference.
class TVariantObject : public TSharedObject {
 public:
  const char* ClassName() const override { return "TVariantObject"; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& value) { FValue = value; }

 private:
  Variant FValue;  // unassigned at first
};

// Where a dataset buffer's record lives. The item is trusted only while the generation is the
// store's and the item's block is still allocated with the same stamp on the item.
struct TRecBookmark {
  uint32_t Generation;
  TRecordItem* Item;
  int32_t RecNo;
  TItemBlock* Block;
  uint32_t Stamp;
};

// Update kinds of OnApplyRecord are the data-set framework's TUpdateKind (ukModify, ukInsert,
// ukDelete), held in a byte.

// Kinds of DateTimeToExternal and DateTimeFromExternal.
constexpr int ExternalMSecs = 0;     // milliseconds of the time stamp, as a double
constexpr int ExternalDateTime = 1;  // the date-time double itself
constexpr int ExternalTime = 2;      // milliseconds since midnight, 32-bit
constexpr int ExternalDate = 3;      // the time stamp's day number, 32-bit

// The abstract record store.
class TData {
 public:
  using TRecordProc = std::function<void(uint8_t* recBuf)>;
  using TNotifyProc = std::function<void()>;
  using TApplyRecordProc = std::function<void(uint8_t kind, uint8_t& action, bool lastItem)>;
  using TGetCalcFieldsProc = std::function<void(uint8_t* target, uint8_t* source)>;
  using TFilterFunc = std::function<bool(uint8_t* recBuf)>;

  TData();
  virtual ~TData();
  TData(const TData&) = delete;
  TData& operator=(const TData&) = delete;

  // Hooks of the owning dataset; each is skipped while unassigned. An error raised in OnAppend,
  // OnUpdate or OnDelete stops the operation before the store changes.
  TRecordProc OnAppend;
  TNotifyProc OnDelete;
  TRecordProc OnUpdate;
  TApplyRecordProc OnApplyRecord;
  TNotifyProc OnRevertRecord;
  TNotifyProc OnAfterApplyUpdates;
  TNotifyProc OnCancelUpdates;
  TNotifyProc OnFieldsChanged;
  TNotifyProc OnAddCalcFieldDescs;
  TGetCalcFieldsProc OnGetCalcFields;

  // ---- Virtual operations, in slot order ----
  virtual void InternalPrepare() {}
  virtual void InternalUnPrepare() {}
  virtual void InternalOpen() {}
  virtual void InternalClose() {}
  virtual void InitData();
  virtual void FreeData() { InitData(); }
  // The provider's step of InitFields that creates the descriptors.
  virtual void DetectCommandType() {}
  virtual String GetArrayFieldName(int index);
  virtual int GetFieldCount() { return FieldCount(); }
  virtual bool GetConvertEOL() { return false; }
  virtual bool GetEOF() { return FEof; }
  virtual bool GetBOF() { return FBof; }
  virtual int32_t GetRecordCount() { return -1; }
  virtual int32_t GetRecNo() { return -1; }
  virtual void SetRecNo(int32_t) {}
  virtual void DoAppend(uint8_t* recBuf);
  virtual void DoDelete();
  virtual void DoUpdate(uint8_t* recBuf);
  virtual void SetFilterText(const String& text);
  virtual void DoRevertRecord();
  virtual void DoAfterApplyUpdates();
  virtual void DoCancelUpdates();
  virtual bool HasUnappliedUpdates() { return false; }
  virtual void SetFilterItemTypes(uint8_t types) { FFilterItemTypes = types; }
  virtual void Open();
  virtual void Close();
  virtual void Prepare();
  virtual void UnPrepare();
  virtual bool GetReinitOnReopen() { return true; }
  virtual void Reopen();
  virtual TFieldDescClass GetFieldDescClass() { return &TFieldDesc::Create; }
  virtual void InitFields();
  virtual void ExplicitInitFields() { InitFields(); }
  virtual void ClearFields();
  // Whether field fieldNo of the buffer is null; with a destination, the value in external form.
  // Final, so that a caller reads every field without a virtual call: the store's own scalar,
  // date and text kinds are read here, the others through GetFieldData.
  virtual void GetField(int fieldNo, uint8_t* recBuf, void* dest, bool& isBlank) final;
  virtual void GetFieldData(TFieldDesc* field, uint8_t* data, void* dest);
  virtual void PutFieldData(TFieldDesc* field, uint8_t* data, bool exact, const void* source);
  virtual bool GetNull(int fieldNo, uint8_t* recBuf);
  virtual void SetNull(int fieldNo, uint8_t* recBuf, bool value);
  virtual Variant GetFieldAsVariant(int fieldNo, uint8_t* recBuf);
  virtual void PutFieldAsVariant(int fieldNo, uint8_t* recBuf, const Variant& value,
                                 bool exact = false);
  virtual void DateTimeToExternal(const uint8_t* data, TFieldDesc* field, int kind, void* dest);
  virtual void DateTimeFromExternal(uint8_t* data, TFieldDesc* field, int kind,
                                    const void* source);
  // Final and inline: a blob's size is read on every jump to a record.
  virtual bool IsBlobFieldType(TDataTypeCode dataType) final {
    return dataType == dtBlob || dataType == dtMemo || dataType == dtWideMemo;
  }
  virtual bool IsSharedObjectType(TDataTypeCode dataType);
  virtual bool FieldsChanged() { return false; }
  virtual void GetRecord(uint8_t* recBuf) = 0;
  virtual void GetNextRecord(uint8_t* recBuf) = 0;
  virtual void GetPriorRecord(uint8_t* recBuf) = 0;
  virtual void PutRecord(uint8_t* recBuf) = 0;
  virtual void AppendRecord(uint8_t* recBuf) = 0;
  virtual void InsertRecord(uint8_t* recBuf) = 0;
  virtual void UpdateRecord(uint8_t* recBuf) = 0;
  virtual void DeleteRecord() = 0;
  virtual void RevertBlobs(uint8_t* recBuf);
  virtual void CreateComplexFields(uint8_t* recBuf, bool withBlob);
  virtual void CreateComplexField(uint8_t* recBuf, int index, bool withBlob);
  virtual void FreeComplexFields(uint8_t* recBuf, bool withBlob);
  virtual void CopyComplexFields(uint8_t* source, uint8_t* dest, bool withBlob);
  virtual void AddRefComplexFields(uint8_t* recBuf);
  virtual void SetToBegin();
  virtual void SetToEnd();
  virtual void GetBookmark(TRecBookmark* bookmark);
  virtual void SetToBookmark(TRecBookmark* bookmark);
  virtual bool BookmarkValid(TRecBookmark* bookmark);
  virtual int CompareBookmarks(TRecBookmark* bookmark1, TRecBookmark* bookmark2);
  virtual bool NeedsRecordReread() { return false; }
  virtual TItemUpdateStatus GetUpdateStatus() { return isUnmodified; }
  virtual uint8_t GetUpdateResult() { return urNone; }
  virtual bool GetUpdatesPending() { return false; }
  virtual void SetCacheBuffers(uint8_t*, uint8_t*) {}
  virtual void ApplyUpdates(uint8_t) {}
  virtual void CommitUpdates() {}
  virtual void CancelUpdates() {}
  virtual void RestoreUpdates() {}
  // The cached changes already applied (opaque tokens), and the undoing of a failed apply that
  // leaves those as they were: they went to the server by an earlier, ended apply.
  virtual std::vector<const void*> AppliedUpdates() { return {}; }
  virtual void RestoreUpdatesExcept(const std::vector<const void*>&) {}
  virtual void RevertRecord() {}
  virtual void DoApplyRecord(uint8_t kind, uint8_t& action, bool lastItem);
  virtual void GetOldRecord(uint8_t*) {}
  // Re-decides which records are visible after a filter changed; whether none is.
  virtual bool FilterUpdated() { return false; }

  // ---- Layout and field access ----
  TFieldDescs& Fields() { return FFields; }
  TStringHeap& StringHeap() { return FStringHeap; }
  // The pool the blob objects of this store's records come from, made on first use; a reset of
  // the store starts a new one (the old one lasts while any of its values is held).
  TValuePool* ValuePool() {
    if (!FValuePool) FValuePool = TValuePool::Create();
    return FValuePool;
  }
  uint16_t FieldCount() const { return static_cast<uint16_t>(FFields.Count()); }
  TFieldDesc* FindField(const String& name) const { return FFields.FindField(name); }
  TFieldDesc* FieldByName(const String& name) const { return FFields.FieldByName(name); }
  int32_t DataSize() const { return FDataSize; }
  int32_t CalcDataSize() const { return FCalcDataSize; }
  int32_t RecordSize() const { return FRecordSize; }
  int32_t CalcRecordSize() const { return FCalcRecordSize; }
  bool HasComplexFields() const { return FHasComplexFields; }
  bool HasBlobFields();

  // Buffers of RecordSize bytes, contents undefined; buffers that carry calculated fields are
  // allocated with withCalc.
  uint8_t* AllocRecBuf(bool withCalc = false);
  void FreeRecBuf(uint8_t* recBuf);
  // Every field null; a buffer with complex fields is zeroed first.
  void InitRecord(uint8_t* recBuf);
  // Stores a value in external form; nil sets the field null.
  void PutField(int fieldNo, uint8_t* recBuf, bool exact, const void* source);
  void RenameDuplicates();

  // Blob fields.
  TBlob* GetBlob(int fieldNo, uint8_t* recBuf);
  void SetBlob(int fieldNo, uint8_t* recBuf, TBlob* blob);
  TBlob* GetBlobObject(int fieldNo, uint8_t* recBuf);
  uint32_t ReadBlob(int fieldNo, uint8_t* recBuf, uint32_t position, uint32_t count, void* dest,
                    bool raw = false, bool useRollback = false);
  void WriteBlob(int fieldNo, uint8_t* recBuf, uint32_t position, uint32_t count,
                 const void* source, bool raw = false);
  void TruncateBlob(int fieldNo, uint8_t* recBuf, uint32_t size, bool raw = false);
  // Inline for a value in the record itself (MemData_FieldRead.h), as GetField.
  uint32_t GetBlobSize(int fieldNo, uint8_t* recBuf, bool raw = false, bool useRollback = false);
  void SetBlobSize(int fieldNo, uint8_t* recBuf, uint32_t size, bool raw = false,
                   bool useRollback = false);

  // A field's value in the form comparisons take: its address, whether it points into the
  // record, whether the field is null, and the type code of the value. A value not in place is a
  // temporary copy that the caller frees with FreeComparableValue.
  const void* GetComparableValue(uint8_t* recBuf, TFieldDesc* field, bool& inPlace, bool& isNull,
                                 TDataTypeCode& valueType);
  static void FreeComparableValue(const void* value);

  // Editing support for the dataset, each given the dataset's record buffer.
  void EditRecord(uint8_t* recBuf);
  void PostRecord(uint8_t* recBuf);

  // ---- State ----
  bool Active() const { return FActive; }
  bool Prepared() const { return FPrepared; }
  bool Bof() const { return FBof; }
  bool Eof() const { return FEof; }
  int32_t RecordCount() const { return FRecordCount; }
  int32_t RecNoOffset() const { return FRecNoOffset; }
  bool RebuildFieldsOnInit() const { return FRebuildFieldsOnInit; }
  void SetRebuildFieldsOnInit(bool v) { FRebuildFieldsOnInit = v; }
  bool TrimFixedChar() const { return FTrimFixedChar; }
  void SetTrimFixedChar(bool v) { FTrimFixedChar = v; }
  bool TrimVarChar() const { return FTrimVarChar; }
  void SetTrimVarChar(bool v) { FTrimVarChar = v; }
  bool SetEmptyStrToNull() const { return FSetEmptyStrToNull; }
  void SetSetEmptyStrToNull(bool v) { FSetEmptyStrToNull = v; }
  bool CachedUpdates() const { return FCachedUpdates; }
  void SetCachedUpdates(bool value);
  bool LocalUpdate() const { return FLocalUpdate; }
  void SetLocalUpdate(bool v) { FLocalUpdate = v; }
  uint8_t FilterItemTypes() const { return FFilterItemTypes; }
  const String& FilterText() const { return FFilterText; }
  bool FilterCaseInsensitive() const { return FFilterCaseInsensitive; }
  void SetFilterCaseInsensitive(bool v) { FFilterCaseInsensitive = v; }
  bool FilterNoPartialCompare() const { return FFilterNoPartialCompare; }
  void SetFilterNoPartialCompare(bool v) { FFilterNoPartialCompare = v; }
  const TFilterFunc& FilterFunc() const { return FFilterFunc; }
  void SetFilterFunc(TFilterFunc f) { FFilterFunc = std::move(f); }
  const TFilterFunc& FilterMDFunc() const { return FFilterMDFunc; }
  void SetFilterMDFunc(TFilterFunc f) { FFilterMDFunc = std::move(f); }
  // A filter function, a parsed expression or a master/detail function is present.
  bool HasFilter() const { return FFilterFunc || FFilterMDFunc || HasFilterExpression(); }

  // ---- Filter expressions ----
  // Replaces the parsed expression by that of the text; a blank text leaves none. Raises
  // "Illegal filter expression" or "Field %s not found", leaving no parsed expression.
  void ParseFilter(const String& text);
  void FreeFilter();
  bool HasFilterExpression() const { return FFilterRoot != nullptr; }
  const TExpressionNode* FilterRoot() const { return FFilterRoot; }
  // The value of a node of the parsed expression on a record.
  bool EvaluateNode(const TExpressionNode* node, uint8_t* recBuf);
  bool FilterExpressionAccepts(uint8_t* recBuf) {
    return !FFilterRoot || EvaluateNode(FFilterRoot, recBuf);
  }

 protected:
  // The field's record offset as a pointer into a buffer.
  static uint8_t* FieldData(const TFieldDesc* field, uint8_t* recBuf) {
    return recBuf + field->Offset();
  }
  TFieldDesc* FieldOf(int fieldNo) const {
    if (fieldNo < 1 || fieldNo > FFields.Count()) return CheckedFieldOf(fieldNo);
    return FFields[fieldNo - 1];
  }
  // FieldOf with its assertion, out of line.
  TFieldDesc* CheckedFieldOf(int fieldNo) const;
  // The parts of GetField: a text value that is not null, and every value the store's own
  // forms do not cover.
  void ReadText(int fieldNo, TFieldDesc* field, uint8_t* recBuf, void* dest, bool& isBlank);
  void GetFieldInGeneral(int fieldNo, TFieldDesc* field, uint8_t* recBuf, void* dest,
                         bool& isBlank);
  uint32_t GetBlobSizeInGeneral(int fieldNo, uint8_t* recBuf, bool raw, bool useRollback);
  // GetNull, asked only when the null byte says null: no rule makes a field null whose byte says
  // it holds a value.
  bool IsNullField(int fieldNo, uint8_t* recBuf) {
    return recBuf[FDataSize + fieldNo - 1] == 1 && GetNull(fieldNo, recBuf);
  }
  // A store being destroyed notifies nobody: its owner may be half gone.
  void ClearHooks();
  // Removes trailing blanks from a text value read out, when the trimming options say so.
  bool TrimsText(const TFieldDesc* field) const {
    return field->Fixed() ? FTrimFixedChar : FTrimVarChar;
  }
  void ReleaseComplexField(TFieldDesc* field, uint8_t* recBuf, bool withBlob);
  struct TVariantWriter;
  void StoreVariant(int fieldNo, uint8_t* recBuf, const Variant& value, bool exact);

  // Lets go of the value pool; the next blob made starts a new one.
  void DetachValuePool() {
    if (FValuePool) FValuePool->Detach();
    FValuePool = nullptr;
  }

  TFieldDescs FFields;
  TStringHeap FStringHeap;
  TValuePool* FValuePool = nullptr;
  int32_t FDataSize = 0;
  int32_t FCalcDataSize = 0;
  int32_t FRecordSize = 0;
  int32_t FCalcRecordSize = 0;
  bool FRebuildFieldsOnInit = true;
  bool FTrimFixedChar = false;
  bool FTrimVarChar = false;
  bool FSetEmptyStrToNull = false;
  bool FHasComplexFields = false;
  bool FActive = false;
  bool FPrepared = false;
  bool FBof = true;
  bool FEof = true;
  int32_t FRecordCount = 0;
  int32_t FRecNoOffset = 0;
  bool FCachedUpdates = false;
  bool FLocalUpdate = false;
  uint8_t FFilterItemTypes = 0;
  String FFilterText;
  bool FFilterCaseInsensitive = false;
  bool FFilterNoPartialCompare = false;
  TFilterFunc FFilterFunc;
  TFilterFunc FFilterMDFunc;
  uint8_t* FNewValueBuffer = nullptr;
  uint8_t* FOldValueBuffer = nullptr;

 private:
  bool EvaluateChain(const TExpressionNode* node, uint8_t* recBuf);
  bool EvaluateComparison(const TExpressionNode* node, uint8_t* recBuf);
  Variant OperandValue(const TExpressionNode* node, uint8_t* recBuf);

  bool FSuppressFieldsChanged = false;
  std::vector<std::unique_ptr<TExpressionNode>> FFilterNodes;
  TExpressionNode* FFilterRoot = nullptr;
};

// How a sort column orders texts: by the locale with or without case, or by bytes (UTF-16 units
// for wide texts).
enum TSortType : uint8_t { stCaseSensitive, stCaseInsensitive, stBinary };

// One entry of IndexFieldNames.
struct TSortColumn {
  TFieldDesc* Field = nullptr;
  uint8_t Descending = 0;
  TSortType SortKind = stCaseSensitive;
};
using TSortColumns = std::vector<TSortColumn>;

// Flags of the comparison operations, combined as bits.
constexpr int cfCaseInsensitive = 1;
constexpr int cfPartial = 2;    // the value matches a prefix of the field
constexpr int cfContains = 4;   // the value occurs anywhere in the field
constexpr int cfBinary = 8;     // bytes or UTF-16 units instead of the locale's order
constexpr int cfNullsLast = 16;

// The records changed under cached updates, in the order of their first change.
using TCacheList = std::list<TRecordItem*>;

// The in-memory record store: records as items of a doubly linked list in blocks.
class TMemData : public TData {
 public:
  TMemData();
  ~TMemData() override;

  // ---- Virtual operations added after TData's ----
  // Adds rows from the provider; whether any were added. The in-memory store has none to add.
  virtual bool Fetch(bool fetchBack = false);
  // The defaults of a new sort column: ascending, case-sensitive.
  virtual void GetRecordOptions(TSortColumn& column);
  // Text comparisons; each gives <0, 0 or >0 and takes the comparison flags. CompareStr takes
  // zero-terminated texts, CompareAnsiStr counted ones; ComparePartialWideStr compares the value
  // with as many leading characters of the field as the value has.
  virtual int CompareStr(const char* a, const char* b, int flags);
  virtual int CompareAnsiStr(std::string_view a, std::string_view b, int flags);
  virtual int ComparePartialWideStr(std::u16string_view value, std::u16string_view field,
                                    int flags);
  virtual int CompareWideStr(std::u16string_view a, std::u16string_view b, int flags);
  // A value text against a field text with the partial and contains options.
  virtual int CompareStrByOptions(std::string_view value, std::string_view field, int flags);
  virtual int CompareWideStrByOptions(std::u16string_view value, std::u16string_view field,
                                      int flags);
  // A value in comparable form (GetComparableValue) against a field of a record: the sign of
  // value minus field.
  virtual int CompareFieldValue(const void* value, TDataTypeCode valueType, int flags,
                                uint8_t* recBuf, TFieldDesc* field);
  virtual int CompareRecordsByColumn(uint8_t* recA, uint8_t* recB, const TSortColumn& column);
  // Null before values (after them with cfNullsLast), then CompareFieldValue.
  virtual int CompareFields(uint8_t* recA, uint8_t* recB, int flags, TFieldDesc* field);
  // Stores the sort specification; an active store sorts at once, a prepared one parses it. A
  // specification that does not parse raises and changes nothing.
  virtual void SetIndexFieldNames(const String& text);
  virtual void SortItems();

  // ---- Overrides ----
  void InitData() override;
  void FreeData() override;
  // The cursor's state is read after every step of a dataset: these are final and inline, so that
  // a caller holding a TMemData reads it without a virtual call.
  bool GetEOF() final { return !FCurrentItem && FEof; }
  bool GetBOF() final { return !FCurrentItem && FBof; }
  int32_t GetRecordCount() final { return FRecordCount; }
  int32_t GetRecNo() final { return FCurrentItem ? RecNoOf(FCurrentItem) : 0; }
  void SetRecNo(int32_t recNo) override;
  void Reopen() override;
  void InitFields() override;
  void ClearFields() override;
  void Open() override;
  bool FilterUpdated() override;
  void SetFilterItemTypes(uint8_t types) override;
  void GetRecord(uint8_t* recBuf) override;
  void GetNextRecord(uint8_t* recBuf) override;
  void GetPriorRecord(uint8_t* recBuf) override;
  // Reads up to count records after the current one into recBufs, as count calls of
  // GetNextRecord would, and leaves the cursor on the last one read; items[i] is the record read
  // into recBufs[i]. Stops short, deciding nothing, where a single step must decide: no record is
  // current, or the held records end (a fetching store fetches on its next step). `read` counts
  // the records read, also when a filter raises.
  void ReadNextHeldRecords(uint8_t* const* recBufs, TRecordItem** items, int count, int& read);
  void PutRecord(uint8_t* recBuf) override;
  void AppendRecord(uint8_t* recBuf) override;
  void InsertRecord(uint8_t* recBuf) override;
  void UpdateRecord(uint8_t* recBuf) override;
  void DeleteRecord() override;
  void SetToBegin() override;
  void SetToEnd() override;
  void GetBookmark(TRecBookmark* bookmark) final { BookmarkOf(FCurrentItem, bookmark); }
  // The bookmark of a record (nil: of no record), as GetBookmark gives it on that record.
  void BookmarkOf(TRecordItem* item, TRecBookmark* bookmark) const {
    bookmark->Generation = FStoreGeneration;
    bookmark->Item = item;
    bookmark->Block = item ? item->Block : nullptr;
    bookmark->Stamp = item ? item->Stamp : 0;
    bookmark->RecNo = item ? RecNoOf(item) : -1;
  }
  void SetToBookmark(TRecBookmark* bookmark) override;
  bool BookmarkValid(TRecBookmark* bookmark) override;
  int CompareBookmarks(TRecBookmark* bookmark1, TRecBookmark* bookmark2) override;
  // Cached updates.
  bool HasUnappliedUpdates() override;
  TItemUpdateStatus GetUpdateStatus() final {
    return FCurrentItem ? FCurrentItem->Status : isUnmodified;
  }
  uint8_t GetUpdateResult() override;
  bool GetUpdatesPending() override;
  void SetCacheBuffers(uint8_t* newValues, uint8_t* oldValues) override;
  void ApplyUpdates(uint8_t kinds) override;
  void CommitUpdates() override;
  void CancelUpdates() override;
  void RestoreUpdates() override;
  std::vector<const void*> AppliedUpdates() override;
  void RestoreUpdatesExcept(const std::vector<const void*>& applied) override;
  void RevertRecord() override;
  void GetOldRecord(uint8_t* recBuf) override;

  // ---- Sorting ----
  const TSortColumns& SortColumns() const { return FSortColumns; }
  bool HasSortColumns() const { return !FSortColumns.empty(); }
  // Reads IndexFieldNames into sort columns. Raises "Invalid IndexFieldNames format!" or
  // "Field %s not found" and then leaves no sort columns.
  void ParseIndexFieldNames();
  TSortColumns ReadSortColumns(const String& text);
  void ClearSortColumns() { FSortColumns.clear(); }
  // The order of two records by the sort columns.
  int CompareRecords(uint8_t* recA, uint8_t* recB);
  // Exchanges the places of two items in the list.
  void SwapItems(TRecordItem* a, TRecordItem* b);
  // Moves the current item into place: backward for a negative direction, forward for a
  // positive one.
  void MoveToSortPosition(int direction);
  static int CompareBytes(const uint8_t* value, size_t valueLength, const uint8_t* field,
                          size_t fieldLength, int flags);

  // ---- Cache list ----
  const TCacheList& CacheItems() const { return FCacheItems; }
  void AddCacheItem(TRecordItem* item);
  bool HasCacheItem(TRecordItem* item) const { return FCacheIndex.count(item) != 0; }
  // Returns a record to its state before its cached change (an inserted record is removed).
  void RevertItem(TRecordItem* item);
  // Gives a record its values from before its first cached change back.
  void RestoreRollback(TRecordItem* item);

  // ---- List maintenance ----
  TRecordItem* FirstItem() const { return FFirstItem; }
  TRecordItem* LastItem() const { return FLastItem; }
  TRecordItem* CurrentItem() const { return FCurrentItem; }
  TBlockManager& BlockManager() { return FBlockManager; }
  uint32_t StoreGeneration() const { return FStoreGeneration; }
  const String& IndexFieldNames() const { return FIndexFieldNames; }

  // A new item before the current one (at the end in the end state); it becomes current.
  TRecordItem* InsertItem();
  TRecordItem* AppendItem();
  // Unlinks and frees an item; a current item passes its place to the next (or previous) one.
  void DeleteItem(TRecordItem* item);
  // Stores a buffer as a new record with that update status before the current one.
  void AddRecord(uint8_t* recBuf, TItemUpdateStatus status = isUnmodified);
  void RemoveRecord();
  // Record numbers after an insert (mode 0), a delete (1) or of the whole list (2).
  void ReorderItems(TRecordItem* item, int mode);
  void RenumberFrom(TRecordItem* item, bool noCount, bool backward);
  // Whether the filter hides an item; a known result is read without a call, an unknown one is
  // decided now and kept in the item.
  bool IsItemHidden(TRecordItem* item) {
    if (item && item->FilterResult != frUnknown) return item->FilterResult == frHidden;
    return DecideItemHidden(item);
  }
  void ResetFilterResults();
  void CalcStoredFields(TRecordItem* first, TRecordItem* last);
  void BuildRecordNoCache();
  void ClearRecordNoCache() { FRecordNoCache.clear(); }
  bool RecordNoCacheBuilt() const { return !FRecordNoCache.empty(); }
  int32_t RecNoOf(const TRecordItem* item) const { return item->Order + FRecNoOffset; }

 protected:
  // The cached branches of the editing operations.
  void CachedInsertRecord(uint8_t* recBuf);
  void CachedUpdateRecord(uint8_t* recBuf);
  void CachedDeleteRecord();
  // Stores new values over the current record, moving it into place or out of the numbering.
  void StoreUpdatedRecord(uint8_t* recBuf);

  bool Caching() const { return FCachedUpdates && !FLocalUpdate; }
  TRecordItem* NextVisible(TRecordItem* item);
  TRecordItem* PriorVisible(TRecordItem* item);
  // Frees every record's values and rollback copies where they must be released one by one.
  void ReleaseAllRecords();

  TRecordItem* FFirstItem = nullptr;
  TRecordItem* FLastItem = nullptr;
  TRecordItem* FCurrentItem = nullptr;
  TBlockManager FBlockManager;
  uint32_t FStoreGeneration = 0;
  TRecNoIndex FRecordNoCache;
  String FIndexFieldNames;
  std::vector<uint8_t> FCalcScratch;

 private:
  // Where a pass of ApplyUpdates stands in the cache list. An entry removed while a hook runs
  // (the hook may revert or commit) moves the pass past it.
  struct TApplyWalk {
    TCacheList::iterator Current;
    bool CurrentRemoved = false;
    bool RunOpen = false;  // a run of deferred entries is open
    TCacheList::iterator RunStart;
    bool LastKnown = false;
    TRecordItem* LastToApply = nullptr;
    TApplyWalk* Outer = nullptr;  // the pass whose hook started this one, if any

    void Forget(TCacheList::iterator it) {
      const TCacheList::iterator next = std::next(it);
      if (Current == it) {
        Current = next;
        CurrentRemoved = true;
      }
      if (RunOpen && RunStart == it) RunStart = next;
      LastKnown = false;
    }
    void ForgetAll(TCacheList::iterator end) {
      Current = end;
      CurrentRemoved = true;
      RunOpen = false;
      LastKnown = false;
    }
  };

  bool DecideItemHidden(TRecordItem* item);
  // SetRecNo for a number the record-number index does not answer.
  void SetRecNoUnindexed(int32_t recNo);
  void RenumberForward(TRecordItem* item);
  void RenumberBackward(TRecordItem* item, int offsetChange);
  bool ItemIsLive(const TRecBookmark* bookmark) const;
  // Sorting.
  void MoveItemToSortPosition(TRecordItem* item, int direction);
  uint8_t* CalculatedCopy(uint8_t* recBuf, std::vector<uint8_t>& scratch);
  // Cached updates.
  void RemoveCacheItem(TRecordItem* item);
  void ClearCacheItems();
  void MakeRollback(TRecordItem* item);
  void SeparateRollbackBlobs(TRecordItem* item);
  void ReleaseRecord(TRecordItem* item);
  bool ApplyOne(TRecordItem* item, uint8_t kinds, bool lastItem, uint8_t& action,
                uint8_t* newValues, uint8_t* oldValues);
  bool WriteBackApplied(TRecordItem* item, uint8_t* newValues);
  TRecordItem* FindLastToApply(uint8_t kinds) const;
  void RecordApplyResult(TApplyWalk& walk, uint8_t action);

  TSortColumns FSortColumns;
  std::vector<uint8_t> FSortScratchA;
  std::vector<uint8_t> FSortScratchB;
  TCacheList FCacheItems;
  std::unordered_map<TRecordItem*, TCacheList::iterator> FCacheIndex;
  TApplyWalk* FApplyWalk = nullptr;
};

// The inline part of GetField.
#include "Common/MemData_FieldRead.h"  // IWYU pragma: export
