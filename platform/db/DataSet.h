// TDataSet: the abstract dataset of the framework. It owns the fields and field definitions, runs
// the state machine (browse, edit, insert and the temporary states), keeps a window of record
// buffers around the cursor for its data sources and links, and raises the before/after events.
// A descendant supplies the records: it allocates and lays out the record buffers, fills them in
// GetRecord, moves its own cursor and stores the values.
//
// The buffer window. The dataset holds up to BufferCount() consecutive records (the largest
// BufferCount of its links, at least 1) in Buffers(0 .. WindowRecordCount() - 1); ActiveRecord()
// is the slot of the current record. The descendant's cursor stands on the record of slot
// CurrentRecord() (-1: unknown); UpdateCursorPos() puts it back on the active record. One more
// buffer (TempBuffer()) is where GetRecord reads a record before it joins the window, and
// CalcBuffer() points to the buffer whose calculated fields are being computed (it owns none).
// The buffers form a ring: slot i is the buffer i places after the ring's start, so sliding a
// full window by one record moves the start and copies nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Variant.h"

class TBlobField;
class TDataLink;
class TDataSetField;
class TDataSource;
class TField;
class TFieldDef;
class TFieldDefList;
class TFieldDefs;
class TFieldList;
class TFields;
class TIndexDef;
class TIndexDefs;
class TObjectField;
class TParams;
class TStrings;

// A class reference to a field class: creates a field of that class owned by the given component.
using TFieldClass = TField* (*)(TComponent* owner);

class TDataSet;
using TDataSetNotifyEvent = std::function<void(TDataSet* dataSet)>;
using TDataSetErrorEvent =
    std::function<void(TDataSet* dataSet, EDatabaseError& error, TDataAction& action)>;
using TFilterRecordEvent = std::function<void(TDataSet* dataSet, bool& accept)>;
using TUpdateErrorEvent = std::function<void(TDataSet* dataSet, EDatabaseError& error,
                                             TUpdateKind updateKind, TUpdateAction& action)>;
using TUpdateRecordEvent =
    std::function<void(TDataSet* dataSet, TUpdateKind updateKind, TUpdateAction& action)>;

class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;
  void BeforeDestruction() override;

  // ---- Opening and closing.
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool Active() const { return FState != dsInactive && FState != dsOpening; }
  // While the component is loading, remembers the value and opens in Loaded().
  virtual void SetActive(bool value);
  TDataSetState State() const { return FState; }
  // Whether a field of the current record was changed since it entered the edit or insert state.
  bool Modified() const { return FModified; }

  // ---- Navigation. Each first checks browse mode (posting a modified edit, cancelling another).
  void First();
  void Last();
  void Next();
  void Prior();
  // Moves at most |distance| records and returns how far it moved; sets Eof when a forward move
  // hit the end and Bof when a backward move hit the start.
  virtual int MoveBy(int distance);
  bool Bof() const { return FBof; }
  bool Eof() const { return FEof; }
  // No record in the window (a new record counts): also true while closed.
  bool IsEmpty() const { return FActiveRecord >= FRecordCount; }
  bool Found() const { return FFound; }
  bool FindFirst();
  bool FindLast();
  bool FindNext();
  bool FindPrior();

  // ---- Editing.
  void Append();
  void Insert();
  void Edit();
  virtual void Post();
  virtual void Cancel();
  void Delete();
  void Refresh();
  // Sets every field of the record being edited to null.
  void ClearFields();
  // Appends or inserts a record with the values in field order (a Null leaves a field null).
  void AppendRecord(std::initializer_list<Variant> values);
  void InsertRecord(std::initializer_list<Variant> values);
  // Assigns the values to the fields in order (in an edit state), controls disabled meanwhile.
  void SetFields(std::initializer_list<Variant> values);
  // Posts a modified edit or insert, cancels an unmodified one, posts a key.
  void CheckBrowseMode();
  // Asks every link to write its pending edit into its field (deUpdateRecord).
  void UpdateRecord();
  // Puts the descendant's cursor on the active record.
  void UpdateCursorPos();
  // Forgets where the descendant's cursor stands.
  void CursorPosChanged() { FCurrentRecord = -1; }
  // Re-reads the window around the cursor's record: rmExact fails with "Record not found" when
  // that record is gone; rmCenter centres it in the window.
  virtual void Resync(TResyncMode mode);

  // ---- Properties of the records.
  bool CanModify() { return GetCanModify(); }
  int RecordCount() { return GetRecordCount(); }
  // 1-based; -1 where the position is unknown (a new record).
  int RecNo() { return GetRecNo(); }
  virtual void SetRecNo(int) {}
  int RecordSize() { return GetRecordSize(); }
  virtual bool IsSequenced() { return true; }
  virtual TUpdateStatus UpdateStatus() { return usUnmodified; }
  bool IsUniDirectional() const { return FUniDirectional; }
  bool SparseArrays() const { return FSparseArrays; }
  void SetSparseArrays(bool value);
  bool ObjectView() const { return FObjectView; }
  void SetObjectView(bool value);
  bool AutoCalcFields() const { return FAutoCalcFields; }
  void SetAutoCalcFields(bool value) { FAutoCalcFields = value; }
  int BlockReadSize() const { return FBlockReadSize; }
  virtual void SetBlockReadSize(int value);

  // ---- Filtering.
  bool Filtered() const { return FFiltered; }
  virtual void SetFiltered(bool value);
  const String& Filter() const { return FFilterText; }
  void SetFilter(const String& value) { SetFilterText(value); }
  virtual void SetFilterText(const String& value);
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  virtual void SetFilterOptions(TFilterOptions value);
  const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
  virtual void SetOnFilterRecord(const TFilterRecordEvent& value);

  // ---- Controls. While disabled no notification reaches a data source; the last
  // EnableControls sends one data-set change (and the state change when the state changed).
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount != 0; }

  // ---- Bookmarks.
  TBookmark GetBookmark();
  void GotoBookmark(const TBookmark& bookmark);
  void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
  TBookmark Bookmark() { return GetBookmark(); }
  void SetBookmark(const TBookmark& value) { GotoBookmark(value); }
  virtual bool BookmarkValid(const TBookmark& bookmark);
  virtual int CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2);
  int BookmarkSize() const { return FBookmarkSize; }

  // ---- Fields.
  TFields* Fields() const { return FFields.get(); }
  TFieldDefs* FieldDefs() const { return FFieldDefs.get(); }
  // Every field definition, child definitions included, by full name.
  TFieldDefList* FieldDefList();
  // Every field, fields of object fields included, by full name.
  TFieldList* FieldList();
  TIndexDefs* IndexDefs() const { return FIndexDefs.get(); }
  int FieldCount() const;
  // Whether the fields were made from the field definitions at open (no persistent fields).
  bool DefaultFields() const { return FDefaultFields; }
  // The field of that name (case-insensitive, full names of child fields too), or nullptr. A
  // view, so that a name written in the code is looked up without a string made of it.
  TField* FindField(std::u16string_view fieldName);
  // The field, or EDatabaseError "Field '%s' not found".
  TField* FieldByName(std::u16string_view fieldName);
  TField* FieldByNumber(int fieldNo);
  void GetFieldNames(TStrings* list);
  // The fields named in the ";"-separated list, in its order; raises for an unknown name.
  void GetFieldList(std::vector<TField*>& list, const String& fieldNames);
  // The value of one field, or an array of the values of the ";"-separated fields.
  Variant FieldValues(const String& fieldNames);
  void SetFieldValues(const String& fieldNames, const Variant& value);
  // Creates the persistent or default fields from the definitions (with default fields), binds
  // them and computes the calculated-field layout. Descendants call it from InternalOpen.
  void CreateFields();
  void DestroyFields();
  virtual void BindFields(bool binding);
  // Brings FieldDefs up to date from the descendant (InternalInitFieldDefs when closed).
  void InitFieldDefs();
  void InitFieldDefsFromFields();
  TDataSetField* DataSetField() const { return FDataSetField; }
  void SetDataSetField(TDataSetField* value);
  const std::vector<TDataSet*>& NestedDataSets() const { return FNestedDataSets; }
  TDataSet* ParentDataSet() const { return FParentDataSet; }

  // ---- Searching. The base finds nothing; descendants search their records.
  virtual bool Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options);
  virtual Variant Lookup(const String& keyFields, const Variant& keyValues,
                         const String& resultFields);
  // The next or prior record that passes the filter, from the start (restart) or the current
  // record; sets Found.
  virtual bool FindRecord(bool restart, bool goForward);

  // Tells the data sources (and so the links) of an event; see TDataEvent for the info. Field
  // changes also mark the record modified and recalculate the calculated fields.
  virtual void DataEvent(TDataEvent event, intptr_t info);

  // ---- Field data. GetFieldData answers whether the field holds a value and, when buffer is
  // not nullptr, copies it there in the native buffer form of the field's type (DataSize bytes):
  //   ftString, ftFixedChar, ftGuid: zero-terminated UTF-8 text; ftWideString,
  //   ftFixedWideChar: zero-terminated UTF-16 text; ftSmallint int16; ftInteger, ftAutoInc int32;
  //   ftWord uint16; ftLargeint int64; ftBoolean 16-bit (non-zero is true); ftFloat, ftCurrency
  //   double; ftBCD, ftFMTBcd TBcd (34 bytes); ftDate int32 day of the time stamp (0001-01-01 is
  //   day 1); ftTime int32 milliseconds since midnight; ftDateTime double milliseconds of the
  //   time stamp; ftBytes Size bytes; ftVarBytes 16-bit length then Size bytes; ftVariant a
  //   Variant object.
  // With nativeFormat false (the form the field classes use) dates and times are TDateTime
  // doubles, ftBCD is a Currency and ftWideString a String object; DataConvert translates.
  // SetFieldData takes the same forms; a nullptr buffer sets the field null.
  virtual bool GetFieldData(TField* field, void* buffer) = 0;
  virtual bool GetFieldData(int fieldNo, void* buffer);
  virtual bool GetFieldData(TField* field, void* buffer, bool nativeFormat);
  virtual void SetFieldData(TField* field, const void* buffer);
  virtual void SetFieldData(TField* field, const void* buffer, bool nativeFormat);
  // The stream over a blob field's value in the active record; the caller owns it. The base has
  // no blobs and returns nullptr.
  virtual std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);
  // Replaces a blob field's value in the active record with the text, with the same checks,
  // events and result as writing its UTF-8 through a stream opened in write mode. False when the
  // dataset has no shorter way (the base has none): the caller then writes through the stream.
  virtual bool WriteBlobText(TBlobField* /*field*/, const String& /*text*/) { return false; }
  // Copies the active record into the buffer; false when there is none.
  virtual bool GetCurrentRecord(TRecordBuffer buffer);
  TRecordBuffer ActiveBuffer() const;
  TDataSource* DataSource() { return GetDataSource(); }
  // Whether the data source (directly, or through master links) shows this dataset.
  bool IsLinkedTo(TDataSource* dataSource);
  // The detail datasets' field lists for a master/detail link; empty in the base.
  virtual void GetDetailLinkFields(std::vector<TField*>& masterFields,
                                   std::vector<TField*>& detailFields);
  // The value of a field in a state that reads another version of the record (old, new,
  // current value): the field read with the dataset in that temporary state.
  virtual Variant GetStateFieldValue(TDataSetState state, TField* field);
  virtual void SetStateFieldValue(TDataSetState state, TField* field, const Variant& value);
  // The class a default field of the type is made of (nullptr when the type has none).
  virtual TFieldClass GetFieldClass(TFieldType fieldType);
  // Translates a field value between the native buffer form and the form of the field classes.
  virtual void DataConvert(TField* field, const void* source, void* dest, bool toNative);
  // Calculates the calculated and lookup fields of the buffer (dsCalcFields).
  virtual void GetCalcFields(TRecordBuffer buffer);
  int CalcFieldsSize() const { return FCalcFieldsSize; }

  // ---- Events.
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert,
      BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete,
      AfterDelete, BeforeScroll, AfterScroll, BeforeRefresh, AfterRefresh, OnNewRecord,
      OnCalcFields;
  TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;

  // ---- Provider support: what a provider asks of the dataset it resolves. The base answers as
  // a dataset without SQL, keys or transactions does.
  virtual void PSEndTransaction(bool commit);
  virtual void PSExecute();
  // Runs the statement with the parameters; with resultSet, hands the caller (who owns it) a
  // dataset over its rows. Returns the rows affected.
  virtual int PSExecuteStatement(const String& sql, TParams* params,
                                 TDataSet** resultSet = nullptr);
  virtual void PSGetAttributes(std::vector<std::pair<String, Variant>>& list);
  virtual String PSGetCommandText();
  virtual int PSGetCommandType();
  virtual TIndexDefs* PSGetIndexDefs(TIndexOptions indexTypes);
  // The order of the rows as an index definition, or none.
  virtual std::unique_ptr<TIndexDef> PSGetDefaultOrder();
  virtual String PSGetKeyFields();
  virtual TParams* PSGetParams();
  virtual String PSGetQuoteChar();
  virtual String PSGetTableName();
  virtual Variant PSGetUpdateException(Exception* e, Exception* prev);
  virtual bool PSInTransaction();
  virtual bool PSIsSQLBased();
  virtual bool PSIsSQLSupported();
  virtual void PSReset();
  virtual void PSSetCommandText(const String& commandText);
  virtual void PSSetParams(TParams* params);
  virtual void PSStartTransaction();
  virtual bool PSUpdateRecord(TUpdateKind updateKind, TDataSet* delta);

 protected:
  // ---- The record source a descendant supplies.
  virtual TRecordBuffer AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(TRecordBuffer& buffer) = 0;
  virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) = 0;
  // Reads up to count records after the cursor into buffers, in order, as count calls of
  // GetRecord(gmNext) would, and counts them in read (also when one of them raises). It may stop
  // short (a single GetRecord then takes the next step) and may leave to FinishRecordRead what a
  // buffer needs only once it can be seen. Asked only of a descendant that switched it on with
  // SetReadsInBlocks: a long walk then makes one call per block, and the records that pass
  // through the window unseen are never finished.
  virtual void ReadNextRecords(TRecordBuffer* /*buffers*/, int /*count*/, int& /*read*/) {}
  // Completes a buffer that ReadNextRecords filled, before anything else reads it.
  virtual void FinishRecordRead(TRecordBuffer /*buffer*/) {}
  void SetReadsInBlocks(bool value) { FReadsInBlocks = value; }
  virtual int GetRecordSize() { return 0; }
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual void InternalInitRecord(TRecordBuffer buffer) = 0;
  virtual void InitRecord(TRecordBuffer buffer);
  virtual void ClearCalcFields(TRecordBuffer buffer);
  virtual void InternalRefresh() {}
  virtual void InternalHandleException() {}
  // Stores a whole record at once; for descendants' own fast paths (the base does nothing).
  virtual void InternalAddRecord(TRecordBuffer, bool) {}
  virtual void InternalInsert() {}
  virtual void InternalEdit() {}
  // The base checks the required fields.
  virtual void InternalPost();
  virtual void InternalCancel() {}
  virtual void InternalDelete() = 0;

  // ---- Bookmarks of the descendant's buffers: BookmarkSize() bytes at data.
  virtual void GetBookmarkData(TRecordBuffer buffer, uint8_t* data) = 0;
  virtual void SetBookmarkData(TRecordBuffer buffer, const uint8_t* data) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) = 0;
  virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) = 0;
  virtual void InternalGotoBookmark(const uint8_t* bookmark) = 0;
  virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
  void SetBookmarkSize(int value) { FBookmarkSize = value; }

  // ---- Overridable parts of the services.
  virtual void OpenCursor(bool infoQuery);
  virtual void CloseCursor();
  virtual void DoInternalOpen();
  virtual int GetRecordCount() { return -1; }
  virtual int GetRecNo() { return -1; }
  virtual bool GetCanModify() { return true; }
  virtual TDataSource* GetDataSource() { return nullptr; }
  // Next() while a block is read: the base moves one record.
  virtual void BlockReadNext() { MoveBy(1); }
  // Called when a blob stream of the field is done with; the base has nothing to release.
  virtual void CloseBlob(TField*) {}
  virtual bool GetNextRecord();
  virtual bool GetPriorRecord();
  virtual void SetCurrentRecord(int index);
  virtual void CalculateFields(TRecordBuffer buffer);
  virtual void CheckFieldCompatibility(TField* field, TFieldDef* fieldDef);
  virtual void SetUniDirectional(bool value) { FUniDirectional = value; }
  void AssignTo(TPersistent* dest) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual void DoBeforeOpen() { Fire(BeforeOpen); }
  virtual void DoAfterOpen() { Fire(AfterOpen); }
  virtual void DoBeforeClose() { Fire(BeforeClose); }
  virtual void DoAfterClose() { Fire(AfterClose); }
  virtual void DoBeforeInsert() { Fire(BeforeInsert); }
  virtual void DoAfterInsert() { Fire(AfterInsert); }
  virtual void DoBeforeEdit() { Fire(BeforeEdit); }
  virtual void DoAfterEdit() { Fire(AfterEdit); }
  virtual void DoBeforePost() { Fire(BeforePost); }
  virtual void DoAfterPost() { Fire(AfterPost); }
  virtual void DoBeforeCancel() { Fire(BeforeCancel); }
  virtual void DoAfterCancel() { Fire(AfterCancel); }
  virtual void DoBeforeDelete() { Fire(BeforeDelete); }
  virtual void DoAfterDelete() { Fire(AfterDelete); }
  virtual void DoBeforeScroll() { Fire(BeforeScroll); }
  virtual void DoAfterScroll() { Fire(AfterScroll); }
  virtual void DoBeforeRefresh() { Fire(BeforeRefresh); }
  virtual void DoAfterRefresh() { Fire(AfterRefresh); }
  virtual void DoOnNewRecord() { Fire(OnNewRecord); }
  virtual void DoOnCalcFields() { Fire(OnCalcFields); }

  // ---- The window, for descendants.
  int ActiveRecord() const { return FActiveRecord; }
  int BufferCount() const { return FBufferCount; }
  // The number of filled slots of the window.
  int WindowRecordCount() const { return FRecordCount; }
  TRecordBuffer Buffers(int index) const { return FBuffers[RingIndex(index)]; }
  int CurrentRecord() const { return FCurrentRecord; }
  TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
  TRecordBuffer TempBuffer() const;
  // Makes the active slot another one of the window (no event, no cursor move).
  void SetActiveRecord(int index);
  void ClearBuffers();
  void ActivateBuffers();
  int GetNextRecords();
  int GetPriorRecords();
  // Re-reads the window size from the data sources' links.
  void UpdateBufferCount();
  virtual void SetBufferCount(int value);

  // ---- State.
  void SetState(TDataSetState value);
  // A temporary state (calculating, filtering, reading old values): no notification reaches the
  // links until RestoreState.
  TDataSetState SetTempState(TDataSetState value);
  void RestoreState(TDataSetState value);
  void SetModified(bool value) { FModified = value; }
  void SetFound(bool value) { FFound = value; }
  void CheckActive();
  void CheckInactive();
  void CheckBiDirectional();
  void CheckCanModify();
  void CheckRequiredFields();
  // Runs an operation; an EDatabaseError goes to the error event, which may retry or abort.
  void CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& onError);
  void SetDefaultFields(bool value) { FDefaultFields = value; }
  bool InternalCalcFieldsPresent() const { return FInternalCalcFields; }

 private:
  friend class TDataLink;
  friend class TDataSource;
  friend class TField;
  friend class TFieldDefs;
  friend class TDataSetField;
  friend class TCustomConnection;

  void Fire(const TDataSetNotifyEvent& event) {
    if (event) event(this);
  }
  void AllocateBuffers();
  void FreeBuffers();
  // The place in FBuffers of a window slot (0 .. BufferCount()): slots count from FFirstBuffer.
  int RingIndex(int slot) const {
    const int index = FFirstBuffer + slot;
    const int size = static_cast<int>(FBuffers.size());
    return index < size ? index : index - size;
  }
  TRecordBuffer& Slot(int slot) { return FBuffers[RingIndex(slot)]; }
  // Moves the ring's start by one slot forward (the first record leaves a full window) or back.
  void AdvanceRing();
  // With a full window and the cursor on its last record: reads up to limit records after it
  // in blocks and moves the ring past them; read counts them, also when a read raises.
  void ReadAheadInFullWindow(int limit, int& read);
  void ReadBlocksIntoRing(int limit, int& read);
  // Finishes the buffers that hold one of the last `read` records read in blocks.
  void FinishBlockReads(int read);
  void RetreatRing();
  // Lays the buffers out from slot 0 again, for the code that resizes the window.
  void UnwindRing();
  // Moves every link's first record by delta slots, as the window slides under it.
  void ShiftLinkWindows(int delta);
  int LinkBufferCount() const;
  void AddDataSource(TDataSource* dataSource);
  void RemoveDataSource(TDataSource* dataSource);
  void BeginInsertAppend();
  void EndInsertAppend();
  void DoInsertAppend(bool append, std::initializer_list<Variant> values);
  void UpdateCalcFields();
  // Passes an event on to the data sources and nested datasets (DataEvent's second half).
  void NotifyDataSources(TDataEvent event, intptr_t info);
  void CalcLookupValues();
  void CloseDataSetsNested();

  std::unique_ptr<TFields> FFields;
  std::unique_ptr<TFieldDefs> FFieldDefs;
  std::unique_ptr<TFieldDefList> FFieldDefList;
  std::unique_ptr<TFieldList> FFieldList;
  std::unique_ptr<TIndexDefs> FIndexDefs;
  std::vector<TDataSource*> FDataSources;
  std::vector<TDataSet*> FNestedDataSets;
  TDataSetField* FDataSetField = nullptr;
  TDataSet* FParentDataSet = nullptr;

  std::vector<TRecordBuffer> FBuffers;
  int FFirstBuffer = 0;
  TRecordBuffer FCalcBuffer = nullptr;
  int FBufferCount = 0;
  int FRecordCount = 0;
  int FActiveRecord = 0;
  int FCurrentRecord = -1;
  int FBookmarkSize = 0;
  int FCalcFieldsSize = 0;
  bool FBof = true;
  bool FEof = true;

  TDataSetState FState = dsInactive;
  TDataSetState FDisableState = dsInactive;
  TDataEvent FEnableEvent = deDataSetChange;
  int FDisableCount = 0;
  int FBlockReadSize = 0;
  bool FModified = false;
  bool FStreamedActive = false;
  bool FDefaultFields = false;
  bool FInternalCalcFields = false;
  bool FFound = false;
  bool FUniDirectional = false;
  bool FReadsInBlocks = false;
  bool FSparseArrays = false;
  bool FObjectView = false;
  bool FAutoCalcFields = true;
  bool FFiltered = false;
  String FFilterText;
  TFilterOptions FFilterOptions;
  TFilterRecordEvent FOnFilterRecord;
};
