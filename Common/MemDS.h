// Unit MemDS: TMemDataSet, the dataset of the data-set framework that lays fields, record buffers,
// bookmarks and states over a record store (TData: a TMemData, or a provider's record set). Data
// sources and controls see only the platform dataset; every row they show lives in the store.
//
// The record buffer: the store's record (field values, null bytes, calculated area), then the
// record info (the 32-bit record number, the update status, the bookmark flag, and a byte that says
// whether this buffer holds its own references to the record's shared objects), then the store's
// bookmark of the record.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Common/MemDS_Service.h"
#include "Common/MemData.h"
#include "platform/db/DB.h"

class TMemDataSet;

// The message of a field the record store does not know (format argument: the field's name).
inline constexpr char16_t SFieldNotFoundGeneral[] = u"Field %s not found";
class TWin32Timer;

// The link through which a detail dataset follows its master's data source.
class TDADetailDataLink : public TDetailDataLink {
 public:
  explicit TDADetailDataLink(TMemDataSet* detail) : FDetail(detail) {}

 protected:
  void ActiveChanged() override;
  void RecordChanged(TField* field) override;
  void CheckBrowseMode() override;
  TDataSet* GetDetailDataSet() override;

 private:
  TMemDataSet* FDetail;
};

// Translates between the store's type codes and the platform's field types. The dataset names
// the map it uses (GetDataTypesMapClass), so a provider may replace it.
class TDataTypesMap {
 public:
  virtual ~TDataTypesMap() = default;
  // ftUnknown for a code without a field type.
  virtual TFieldType GetFieldType(TDataTypeCode dataType) const;
  // 0 for a field type without a code.
  virtual TDataTypeCode GetDataType(TFieldType fieldType) const;
};

// Options of the extended locate, as bits: the platform's two locate options come first.
enum TSearchOption {
  soCaseInsensitive,  // texts compare without case
  soPartialKey,       // a text key matches a field that begins with it
  soNearest,          // a record whose field sorts after the key matches too; the end counts
  soNext,             // the search starts after the current record
  soBackward,         // the search runs backwards, from before the current record
  soPartialCompare    // a text key matches a field that contains it
};
using TSearchOptions = TSet<TSearchOption>;

class TMemDataSet : public TDataSet {
 public:
  explicit TMemDataSet(TComponent* owner);
  ~TMemDataSet() override;

  // ---- The data object and the service.
  TData* Data() const { return FData.get(); }
  // Makes the data object: a TMemData here; descendants make their provider record set.
  virtual void CreateData();
  // Installs the data object (the dataset owns it) and hooks the dataset into it.
  virtual void SetData(std::unique_ptr<TData> value);
  // Lets go of the store without freeing it, for a dataset that shows a store owned elsewhere;
  // the store keeps none of this dataset's hooks. Called once the cursor is closed.
  TData* ReleaseData();
  virtual TDataSetServiceClass GetDataSetServiceClass();
  virtual void SetDataSetService(std::unique_ptr<TDataSetService> value);
  // The service, made (again) when none is installed or the installed one is of another class.
  TDataSetService* DataSetService();
  void CheckDataSetService();
  // Re-opens the data object.
  virtual void RefreshData();
  virtual const TDataTypesMap& GetDataTypesMapClass();
  virtual TFieldType GetFieldType(TDataTypeCode dataType);
  virtual TFieldType GetFieldTypeOfDesc(TFieldDesc* fieldDesc);
  virtual int GetFieldDefSize(TFieldType fieldType, TFieldDesc* fieldDesc);
  // The name of an array element's definition.
  virtual String GetItemFieldName(int index);
  virtual bool NeedCreateFieldDefs();
  virtual void CreateFieldDefs();
  virtual bool GetCapabilityFlag(int) { return false; }
  // Prepares the data object and builds the field definitions.
  virtual void Prepare();
  virtual void UnPrepare();
  bool Prepared() const { return FData && FData->Prepared(); }
  // The descriptor of a field in the data object, or nullptr. A field bound to a column by its
  // number (the usual case, asked for several times a post) is answered in line.
  TFieldDesc* GetFieldDesc(TField* field) {
    const int fieldNo = field ? field->FieldNo() : 0;
    if (fieldNo > 0 && FData && field->DataSet() == this && fieldNo <= FData->Fields().Count())
      return FData->Fields()[fieldNo - 1];
    return FindFieldDesc(field);
  }

  // ---- Blobs of the active record. A descriptor of another type raises "Field is not BLOB".
  TBlob* GetBlobOfDesc(TFieldDesc* fieldDesc);
  TBlob* GetBlobByName(const String& fieldName);
  TBlob* GetBlob(TField* field);

  // ---- Settings that the components' options forward.
  bool RequiredFields() const { return FRequiredFields; }
  void SetRequiredFields(bool value) { FRequiredFields = value; }
  bool NumberRange() const { return FNumberRange; }
  void SetNumberRange(bool value) { FNumberRange = value; }
  bool CacheCalcFields() const { return FCacheCalcFields; }
  void SetCacheCalcFields(bool value);

  // ---- Editing and cached updates.
  bool CachedUpdates() const { return FCachedUpdates; }
  // The dataset must be closed; switching off cancels the store's pending changes.
  void SetCachedUpdates(bool value);
  // Hands the current edit or insert to the updater without touching the store (the components
  // post through it).
  virtual void PerformPost();
  // Assigns every field's DefaultExpression; read-only fields take theirs too.
  virtual void ApplyDefaultValues();
  virtual void ApplyUpdates();
  virtual void ApplyUpdatesKinds(TUpdateRecordTypes kinds);
  void CommitUpdates();
  // Reverts every pending change.
  void CancelUpdates();
  void RevertRecord();
  // Whether modified or deleted records wait to be applied.
  bool UpdatesPending();
  // The result of applying the current record's change (the store's urXxx).
  uint8_t GetUpdateResult();
  void CheckCachedUpdates();
  TUpdateErrorEvent OnUpdateError;
  TUpdateRecordEvent OnUpdateRecord;

  // ---- Searching. Keys that match the store's leading sort columns are found by a binary
  // search over record numbers; other searches visit the records in order.
  bool Locate(const String& keyFields, const Variant& keyValues,
              TLocateOptions options) override;
  // The result fields of the record with those keys, or Null; never moves the cursor.
  Variant Lookup(const String& keyFields, const Variant& keyValues,
                 const String& resultFields) override;
  // Locate by fields with the two locate options of the search options.
  bool LocateEx(const std::vector<TField*>& fields, TSearchOptions options,
                const Variant& values);
  // Locate by fields with every search option; after a nearest search that ran off the end the
  // dataset stands on its last record.
  bool DoLocate(const std::vector<TField*>& fields, TSearchOptions options, const Variant& values);
  bool LocateRecordByNames(const String& keyFields, const Variant& keyValues,
                           bool restorePosition, TSearchOptions options);
  bool LocateRecordFields(const std::vector<TField*>& fields, const Variant& keyValues,
                          bool restorePosition, TSearchOptions options);
  // The key value in the form the store compares (buffer, value type); false for a null key.
  // With convert, text is converted to the column's type.
  virtual bool GetKeyValueBuffer(const Variant& value, TBytes& buffer, bool convert,
                                 TFieldDesc* fieldDesc, TDataTypeCode& valueType);
  bool FindRecord(bool restart, bool goForward) override;
  const String& IndexFieldNames() const { return FIndexFieldNames; }
  // The store's sort order: "NAME; ID DESC" (see the store for the grammar).
  void SetIndexFieldNames(const String& value);
  void SetFiltered(bool value) override;
  void SetFilterText(const String& value) override;
  void SetFilterOptions(TFilterOptions value) override;
  void SetOnFilterRecord(const TFilterRecordEvent& value) override;

  // ---- Master/detail. With MasterSource, MasterFields and DetailFields set, the dataset shows
  // only the records whose detail fields equal the master's current values (";"-separated names,
  // paired by position). A detail delay makes quick master scrolls refresh the detail once.
  TDataSource* MasterSource() { return GetDataSource(); }
  // Raises "Circular datalinks are not allowed" for a source that shows this dataset.
  void SetMasterSource(TDataSource* value);
  const String& MasterFields() const { return FMasterFields; }
  void SetMasterFields(const String& value);
  const String& DetailFields() const { return FDetailFields; }
  void SetDetailFields(const String& value);
  int DetailDelay() const { return FDetailDelay; }
  void SetDetailDelay(int milliseconds);
  TWin32Timer* DetailRefreshTimer() const { return FDetailRefreshTimer.get(); }
  // Takes the master's current key values; raises when the master is not a TMemDataSet or a
  // paired field has no descriptor.
  virtual bool BindToMaster();
  // Shows the records of the master's current values (the components query them again).
  virtual void RefreshDetail();
  virtual bool IsLocalMasterDetail();
  virtual void MasterDetailChanged();
  // The master moved or changed: bind its values and refresh now or after the delay.
  void MasterChanged();
  bool HasMasterDetail();
  bool IsMasterActive();
  void SetLocalMDFilter();
  void GetDetailLinkFields(std::vector<TField*>& masterFields,
                           std::vector<TField*>& detailFields) override;

  // ---- Overrides of the platform dataset.
  using TDataSet::GetFieldData;
  using TDataSet::SetFieldData;
  // Final: every field read and write passes here, and the calls between them stay direct.
  bool GetFieldData(TField* field, void* buffer) final;
  bool GetFieldData(int fieldNo, void* buffer) final;
  bool GetFieldData(TField* field, void* buffer, bool nativeFormat) final;
  void SetFieldData(TField* field, const void* buffer) final;
  void SetFieldData(TField* field, const void* buffer, bool nativeFormat) final;
  Variant GetStateFieldValue(TDataSetState state, TField* field) override;
  void DataConvert(TField* field, const void* source, void* dest, bool toNative) final;
  TFieldClass GetFieldClass(TFieldType fieldType) override;
  // Final: WriteBlobText stores as this stream would, so a different stream would not see it.
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) final;
  bool WriteBlobText(TBlobField* field, const String& text) override;
  bool BookmarkValid(const TBookmark& bookmark) override;
  int CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) override;
  void SetRecNo(int value) override;
  bool IsSequenced() override { return true; }
  TUpdateStatus UpdateStatus() override;
  void SetBlockReadSize(int value) override;
  void Cancel() override;

  // The record buffer the fields read and write in the current state (nullptr: none).
  TRecordBuffer GetActiveRecBuf();
  // The record buffer the fields would read in the given state (dsOldValue: the record before
  // the current change; dsNewValue: after it); nullptr when there is none.
  TRecordBuffer GetStateRecBuf(TDataSetState state);
  // Cached updates are being applied: the old and new values are the applied record's.
  bool InCacheProcessing() const { return FInCacheProcessing; }
  int RecBufSize() const { return FRecBufSize; }

 protected:
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
  // The records' bytes are copied and each buffer keeps its record's item in its bookmark;
  // FinishRecordRead writes the record info and the rest of the bookmark from it. A descendant
  // that reads records another way in GetRecord switches block reads off (SetReadsInBlocks).
  void ReadNextRecords(TRecordBuffer* buffers, int count, int& read) override;
  void FinishRecordRead(TRecordBuffer buffer) override;
  int GetRecordSize() override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() override;
  void InternalInitFieldDefs() override;
  void InternalFirst() override;
  void InternalLast() override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InitRecord(TRecordBuffer buffer) override;
  void ClearCalcFields(TRecordBuffer buffer) override;
  void InternalRefresh() override;
  void InternalAddRecord(TRecordBuffer buffer, bool append) override;
  void InternalInsert() override;
  void InternalEdit() override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  void GetBookmarkData(TRecordBuffer buffer, uint8_t* data) override;
  void SetBookmarkData(TRecordBuffer buffer, const uint8_t* data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override;
  void InternalGotoBookmark(const uint8_t* bookmark) override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void OpenCursor(bool infoQuery) override;
  void CloseCursor() override;
  int GetRecordCount() override;
  int GetRecNo() override;
  void DoAfterOpen() override;
  void DoOnNewRecord() override;
  void AssignTo(TPersistent* dest) override;
  void InternalHandleException() override;
  TDataSource* GetDataSource() override;

  // ---- The record info of a buffer.
  int32_t RecInfoRecNo(TRecordBuffer buffer) const;
  void SetRecInfoRecNo(TRecordBuffer buffer, int32_t value) const;
  TItemUpdateStatus RecInfoUpdateStatus(TRecordBuffer buffer) const;
  void SetRecInfoUpdateStatus(TRecordBuffer buffer, TItemUpdateStatus value) const;
  // Marks the buffer as holding its own references to the record's shared objects.
  void SetRefComplexFields(TRecordBuffer buffer) const;
  // Drops the buffer's own references to the record's shared objects, when it holds them.
  void FreeRefComplexFields(TRecordBuffer buffer);
  // Before the store changes under the window: the temporary buffer's references and, in
  // uni-directional mode, every buffer's.
  void FreeRefBuffers();

  bool Inserting() const { return FInserting; }
  bool Editing() const { return FEditing; }
  bool FillingDefaults() const { return FFillingDefaults; }
  // Set while defaults are assigned, so that read-only fields take theirs too.
  void SetFillingDefaults(bool value) { FFillingDefaults = value; }

 private:
  friend class TBlobStream;
  friend class TDataSetService;
  friend class TDADetailDataLink;

  // A master value bound for the local master/detail filter, in the detail column's form.
  struct TLocalMDLink {
    int FieldNo = 0;
    TDataTypeCode ValueType = 0;
    bool IsNull = true;
    TBytes Value;
    std::shared_ptr<TVariantObject> VariantValue;
  };
  bool MasterDetailFilter(uint8_t* recBuf);
  // A new detail record takes the master's values of the paired fields.
  void CopyMasterValues();

  // Hooks installed on the data object.
  void HookData();
  void DoPerformAppend();
  void DoPerformDelete();
  void DoPerformUpdate();
  void DoApplyRecord(uint8_t kind, uint8_t& action, bool lastItem);
  void DoRevertRecord();
  void DoAfterApplyUpdates();
  void DoCancelUpdates();
  void DoAddCalcFieldDescs();
  void DoGetCalcFields(uint8_t* target, uint8_t* source);
  // Runs an updater call with the platform's Modified flag kept.
  template <class Call>
  void KeepModified(Call call);
  TDataSetUpdater* Updater();

  // Whether each record read computes its calculated fields (not kept in the store).
  bool CalcFieldsPerRead() const {
    return !FCacheCalcFields && (CalcFieldsSize() != 0 || InternalCalcFieldsPresent());
  }
  // The record info and bookmark of a buffer just read from an in-memory store's record.
  void SetReadRecordInfo(TRecordBuffer buffer, TRecordItem* item) const;
  // Puts each item read in a block into its buffer's bookmark, for FinishRecordRead.
  void KeepReadItems(TRecordBuffer* buffers, TRecordItem* const* items, int count) const;
  // GetFieldDesc of a field not bound by its number, or one out of the store's range.
  TFieldDesc* FindFieldDesc(TField* field);
  // The descriptor paired with a calculated or lookup field (nullptr when none).
  TFieldDesc* CalcFieldDesc(TField* field);
  // An edit is over: the blob fields no longer count as written.
  void ResetBlobsModified();
  void CreateFieldDef(TFieldDesc* fieldDesc, int fieldNo);
  void ComputeLayout();
  // Runs the store's apply or commit with the two apply buffers lent to it.
  template <class Call>
  void WithCacheBuffers(Call call);

  struct TLocateKey;
  struct TLocateSearch;
  bool LocateRecord(std::vector<TFieldDesc*> fields, const Variant& keyValues,
                    bool restorePosition, TSearchOptions options);
  // Converts the key values; false when a sorted key did not convert (every key then compares
  // unconverted, by visiting the records).
  bool PrepareLocateKeys(std::vector<TLocateKey>& keys);
  int CompareLocateKey(const TLocateKey& key, uint8_t* recBuf, int flags);
  // Reads a record for comparing into the temporary buffer, with its calculated fields.
  uint8_t* ReadForCompare(bool withCalcFields);
  void ActivateFilters();
  void DeactivateFilters();
  bool RecordFilter(uint8_t* recBuf);
  void SetFilterData(const String& text, TFilterOptions options);
  // Shows the store's records again after its filter changed, from the first one.
  void Refilter();

  std::unique_ptr<TDADetailDataLink> FDataLink;
  std::unique_ptr<TWin32Timer> FDetailRefreshTimer;
  std::vector<TLocalMDLink> FLocalMDLinks;
  String FMasterFields;
  String FDetailFields;
  int FDetailDelay = 0;
  std::unique_ptr<TData> FData;
  // FData when it is an in-memory store (its cursor state is then read without virtual calls).
  TMemData* FMemData = nullptr;
  std::unique_ptr<TDataSetService> FDataSetService;
  std::vector<std::pair<TField*, TFieldDesc*>> FCalcFieldsMapping;
  String FIndexFieldNames;

  int FRecInfoOfs = 0;
  int FBookmarkOfs = 0;
  int FRecBufSize = 0;
  TRecordBuffer FOldRecBuf = nullptr;
  TRecordBuffer FNewCacheRecBuf = nullptr;
  TRecordBuffer FOldCacheRecBuf = nullptr;
  TRecordBuffer FFilterBuffer = nullptr;

  bool FInserting = false;
  bool FEditing = false;
  bool FInCacheProcessing = false;
  bool FFillingDefaults = false;
  bool FCachedUpdates = false;
  bool FRequiredFields = true;
  bool FNumberRange = false;
  bool FCacheCalcFields = false;
};

// The stream over a blob or memo field of the dataset's active record. Edits land in the record's
// blob (with its rollback copy), and are kept or discarded when the record is posted or cancelled.
class TBlobStream : public TStream {
 public:
  // Writing needs an edit state and a writable field; write mode empties the blob at once.
  TBlobStream(TBlobField* field, TBlobStreamMode mode);
  ~TBlobStream() override;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  // Positions are not clipped: past the end reads give nothing.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t newSize) override;

 private:
  bool UseRollback() const;
  void Truncate();

  TBlobField* FField;
  TMemDataSet* FDataSet;
  int FFieldNo = 0;
  TRecordBuffer FBuffer = nullptr;
  TBlobStreamMode FMode;
  bool FOpened = false;
  bool FModified = false;
  uint32_t FPosition = 0;
};
