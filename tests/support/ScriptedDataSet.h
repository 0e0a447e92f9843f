// A dataset over records in a plain vector, for the framework's tests: it logs every GetRecord
// call, can be told to fail its next post, and shows the raw native bytes of each stored value so
// that tests check the buffer forms themselves. TLogLink logs every notification a link gets.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/DB.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

struct TColumn {
  String Name;
  TFieldType Type;
  int Size = 0;
  bool Required = false;
};

class TScriptedDataSet : public TDataSet {
 public:
  // A stored value: absent (null) or its native bytes.
  struct TCell {
    bool Present = false;
    TBytes Bytes;
  };
  using TRow = std::vector<TCell>;

  TScriptedDataSet(TComponent* owner, std::vector<TColumn> columns)
      : TDataSet(owner), FColumns(std::move(columns)) {}
  ~TScriptedDataSet() override { Close(); }

  // ---- Script and instruments.
  void AddRow(TRow row) {
    FRows.push_back(std::move(row));
    FIds.push_back(++FLastId);
  }
  std::vector<TRow>& Rows() { return FRows; }
  void ClearRows() {
    FRows.clear();
    FIds.clear();
  }
  std::vector<std::string>& Log() { return FLog; }
  void ClearLog() { FLog.clear(); }
  void FailNextPost(const String& message) { FPostFailure = message; }
  // Rows a refresh finds (the records of another user).
  void SetRefreshRows(std::vector<TRow> rows) { FRefreshRows = std::move(rows); }
  bool LogReads = true;
  // Every GetRecord call, logged or not.
  int64_t Reads = 0;

  // The slot numbers the tests check.
  int ActiveSlot() const { return ActiveRecord(); }
  int WindowCount() const { return WindowRecordCount(); }
  int Slots() const { return BufferCount(); }
  bool Opened() const { return FOpen; }

  // Native bytes of a value, helpers for rows.
  template <class T>
  static TCell Cell(T value) {
    TCell cell{true, TBytes(sizeof(T))};
    std::memcpy(cell.Bytes.data(), &value, sizeof(T));
    return cell;
  }
  static TCell Null() { return TCell{}; }
  static TCell Text(const char* utf8) {
    TCell cell{true, TBytes(utf8, utf8 + std::strlen(utf8) + 1)};
    return cell;
  }
  static TCell WideText(const String& text) {
    TCell cell{true, TBytes((text.size() + 1) * 2, 0)};
    std::memcpy(cell.Bytes.data(), text.data(), text.size() * 2);
    return cell;
  }

  TRecordBuffer CurrentBuffer() {
    switch (State()) {
      case dsBrowse:
      case dsBlockRead:
        return WindowRecordCount() == 0 ? nullptr : ActiveBuffer();
      case dsEdit:
      case dsInsert:
      case dsNewValue:
      case dsSetKey:
        return ActiveBuffer();
      case dsCalcFields:
      case dsInternalCalc:
        return CalcBuffer();
      case dsOldValue:
        return FOldBuffer.empty() ? ActiveBuffer() : FOldBuffer.data();
      case dsFilter:
        return FFilterBuffer;
      default:
        return nullptr;
    }
  }

  using TDataSet::GetFieldData;
  using TDataSet::SetFieldData;

  bool GetFieldData(TField* field, void* buffer) override {
    TRecordBuffer record = CurrentBuffer();
    if (!record) return false;
    const uint8_t* slot = SlotOf(record, field);
    if (!slot || slot[0] == 0) return false;
    if (buffer) std::memcpy(buffer, slot + 1, field->DataSize());
    return true;
  }

  void SetFieldData(TField* field, const void* buffer) override {
    if (!dsWriteModes.Contains(State())) DatabaseError(SNotEditing, this);
    if (field->FieldKind() == fkData) {
      if (State() == dsCalcFields) DatabaseError(SNotEditing, this);
      if (field->ReadOnly() && State() != dsSetKey && State() != dsFilter)
        DatabaseErrorFmt(SFieldReadOnly, {field->DisplayName()}, this);
    }
    field->Validate(buffer);
    TRecordBuffer record = State() == dsCalcFields ? CalcBuffer() : ActiveBuffer();
    uint8_t* slot = SlotOf(record, field);
    slot[0] = buffer ? 1 : 0;
    if (buffer)
      std::memcpy(slot + 1, buffer, field->DataSize());
    else
      std::memset(slot + 1, 0, field->DataSize());
    if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue)
      DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
  }

  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;

  int RecNoOfBuffer() {
    if (WindowRecordCount() == 0 || GetBookmarkFlag(ActiveBuffer()) != bfCurrent) return -1;
    return IndexOfId(IdOf(ActiveBuffer())) + 1;
  }

  bool BookmarkValid(const TBookmark& bookmark) override {
    if (bookmark.size() != 4) return false;
    int32_t id;
    std::memcpy(&id, bookmark.data(), 4);
    return IndexOfId(id) >= 0;
  }

  int CompareBookmarks(const TBookmark& a, const TBookmark& b) override {
    if (a.empty() || b.empty()) return TDataSet::CompareBookmarks(a, b);
    int32_t ida, idb;
    std::memcpy(&ida, a.data(), 4);
    std::memcpy(&idb, b.data(), 4);
    int ia = IndexOfId(ida), ib = IndexOfId(idb);
    return ia < ib ? -1 : (ia > ib ? 1 : 0);
  }

  void SetRecNo(int value) override {
    CheckBrowseMode();
    DoBeforeScroll();
    FCursor = std::clamp(value - 1, 0, static_cast<int>(FRows.size()) - 1);
    Resync({rmCenter});
    DoAfterScroll();
  }

 protected:
  // ---- Layout: id (4), flag (1), then per column a presence byte and the value, then the
  // calculated area.
  static constexpr int HeaderSize = 5;

  int ColumnSize(int index) const {
    TField* field = FieldByNumberConst(index + 1);
    if (!field) return 0;
    // A blob column holds the number of its blob.
    return field->IsBlob() ? 4 : field->DataSize();
  }
  TField* FieldByNumberConst(int fieldNo) const {
    return const_cast<TScriptedDataSet*>(this)->FieldByNumber(fieldNo);
  }
  int DataSize() const {
    int size = 0;
    for (size_t i = 0; i < FColumns.size(); ++i) size += 1 + FColumnSizes[i];
    return size;
  }
  int BufferSize() const { return HeaderSize + DataSize() + CalcFieldsSize(); }

  uint8_t* SlotOf(TRecordBuffer record, TField* field) const {
    if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup)
      return record + HeaderSize + DataSize() + field->Offset();
    int index = field->FieldNo() - 1;
    if (index < 0) return nullptr;
    return record + HeaderSize + FColumnOffsets[index];
  }

  static int32_t IdOf(TRecordBuffer buffer) {
    int32_t id;
    std::memcpy(&id, buffer, 4);
    return id;
  }
  int IndexOfId(int32_t id) const {
    for (size_t i = 0; i < FIds.size(); ++i) {
      if (FIds[i] == id) return static_cast<int>(i);
    }
    return -1;
  }

  void FillBuffer(TRecordBuffer buffer, int index) {
    std::memcpy(buffer, &FIds[index], 4);
    buffer[4] = bfCurrent;
    for (size_t i = 0; i < FColumns.size(); ++i) {
      uint8_t* slot = buffer + HeaderSize + FColumnOffsets[i];
      const TCell& cell = FRows[index][i];
      std::memset(slot, 0, 1 + FColumnSizes[i]);
      slot[0] = cell.Present ? 1 : 0;
      if (cell.Present)
        std::memcpy(slot + 1, cell.Bytes.data(),
                    std::min<size_t>(cell.Bytes.size(), FColumnSizes[i]));
    }
    GetCalcFields(buffer);
  }

  TRow RowOf(TRecordBuffer buffer) const {
    TRow row(FColumns.size());
    for (size_t i = 0; i < FColumns.size(); ++i) {
      const uint8_t* slot = buffer + HeaderSize + FColumnOffsets[i];
      row[i].Present = slot[0] != 0;
      if (row[i].Present) row[i].Bytes.assign(slot + 1, slot + 1 + FColumnSizes[i]);
    }
    return row;
  }

  // ---- The record source.
  TRecordBuffer AllocRecordBuffer() override { return new uint8_t[BufferSize()](); }
  void FreeRecordBuffer(TRecordBuffer& buffer) override {
    delete[] buffer;
    buffer = nullptr;
  }
  int GetRecordSize() override { return HeaderSize + DataSize(); }

  TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool) override {
    const int count = static_cast<int>(FRows.size());
    ++Reads;
    TGetResult result = grOK;
    switch (mode) {
      case gmNext:
        if (FCursor >= count - 1) {
          FCursor = count;
          result = grEOF;
        } else {
          ++FCursor;
        }
        break;
      case gmPrior:
        if (FCursor <= 0) {
          FCursor = -1;
          result = grBOF;
        } else {
          --FCursor;
        }
        break;
      case gmCurrent:
        if (FCursor < 0 || FCursor >= count) result = grError;
        break;
    }
    if (LogReads) {
      static const char* const modes[] = {"cur", "next", "prior"};
      std::string entry = "get ";
      entry += modes[mode];
      entry += ' ';
      entry += result == grOK ? std::to_string(FCursor + 1) : std::string("none");
      FLog.push_back(entry);
    }
    if (result == grOK) FillBuffer(buffer, FCursor);
    return result;
  }

  void InternalOpen() override {
    InternalInitFieldDefs();
    if (DefaultFields()) CreateFields();
    BindFields(true);
    FColumnSizes.clear();
    FColumnOffsets.clear();
    int offset = 0;
    for (size_t i = 0; i < FColumns.size(); ++i) {
      FColumnOffsets.push_back(offset);
      FColumnSizes.push_back(ColumnSize(static_cast<int>(i)));
      offset += 1 + FColumnSizes.back();
    }
    SetBookmarkSize(4);
    FCursor = -1;
    FOpen = true;
  }
  void InternalClose() override {
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    FOpen = false;
  }
  bool IsCursorOpen() override { return FOpen; }
  void InternalInitFieldDefs() override {
    FieldDefs()->Clear();
    for (const TColumn& column : FColumns)
      FieldDefs()->Add(column.Name, column.Type, column.Size, column.Required);
  }
  void InternalFirst() override { FCursor = -1; }
  void InternalLast() override { FCursor = static_cast<int>(FRows.size()); }
  void InternalInitRecord(TRecordBuffer buffer) override {
    std::memset(buffer, 0, HeaderSize + DataSize());
  }
  void ClearCalcFields(TRecordBuffer buffer) override {
    std::memset(buffer + HeaderSize + DataSize(), 0, CalcFieldsSize());
  }
  void InternalEdit() override {
    FOldBuffer.assign(ActiveBuffer(), ActiveBuffer() + BufferSize());
  }
  void InternalCancel() override { FOldBuffer.clear(); }
  void InternalPost() override {
    TDataSet::InternalPost();
    if (!FPostFailure.empty()) {
      String message = FPostFailure;
      FPostFailure.clear();
      DatabaseError(message, this);
    }
    TRow row = RowOf(ActiveBuffer());
    if (State() == dsEdit) {
      FRows[FCursor] = row;
    } else {
      int at = GetBookmarkFlag(ActiveBuffer()) == bfEOF
                   ? static_cast<int>(FRows.size())
                   : std::clamp(FCursor, 0, static_cast<int>(FRows.size()));
      FRows.insert(FRows.begin() + at, row);
      FIds.insert(FIds.begin() + at, ++FLastId);
      FCursor = at;
    }
    FOldBuffer.clear();
  }
  void InternalDelete() override {
    FRows.erase(FRows.begin() + FCursor);
    FIds.erase(FIds.begin() + FCursor);
  }
  // The refreshed rows replace the old ones; the cursor keeps its position, or stays on the last
  // row when fewer rows came back.
  void InternalRefresh() override {
    if (FRefreshRows.empty()) return;
    FRows = std::move(FRefreshRows);
    FRefreshRows.clear();
    FIds.clear();
    for (size_t i = 0; i < FRows.size(); ++i) FIds.push_back(++FLastId);
    FCursor = std::min(FCursor, static_cast<int>(FRows.size()) - 1);
  }
  void InternalHandleException() override {}

  void GetBookmarkData(TRecordBuffer buffer, uint8_t* data) override {
    std::memcpy(data, buffer, 4);
  }
  void SetBookmarkData(TRecordBuffer buffer, const uint8_t* data) override {
    std::memcpy(buffer, data, 4);
  }
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override {
    return static_cast<TBookmarkFlag>(buffer[4]);
  }
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override {
    buffer[4] = static_cast<uint8_t>(value);
  }
  void InternalGotoBookmark(const uint8_t* bookmark) override {
    int32_t id;
    std::memcpy(&id, bookmark, 4);
    int index = IndexOfId(id);
    if (index < 0) DatabaseError(SRecordNotFound, this);
    FCursor = index;
  }
  void InternalSetToRecord(TRecordBuffer buffer) override {
    int index = IndexOfId(IdOf(buffer));
    if (index >= 0) FCursor = index;
  }
  int GetRecordCount() override { return static_cast<int>(FRows.size()); }
  int GetRecNo() override { return RecNoOfBuffer(); }

 private:
  friend class TScriptedBlobStream;
  std::vector<TColumn> FColumns;
  std::vector<int> FColumnSizes;
  std::vector<int> FColumnOffsets;
  std::vector<TRow> FRows;
  std::vector<int32_t> FIds;
  std::vector<TRow> FRefreshRows;
  std::vector<TBytes> FBlobs{TBytes()};
  std::vector<std::string> FLog;
  std::vector<uint8_t> FOldBuffer;
  TRecordBuffer FFilterBuffer = nullptr;
  String FPostFailure;
  int32_t FLastId = 0;
  int FCursor = -1;
  bool FOpen = false;
};

// Blob values live in the dataset's list of blobs; a record holds the blob's number (4 bytes).
// Writing makes a new blob, so that a cancelled edit keeps the old one.
class TScriptedBlobStream : public TMemoryStream {
 public:
  TScriptedBlobStream(TScriptedDataSet* dataSet, TField* field, TBlobStreamMode mode)
      : FDataSet(dataSet), FField(field), FMode(mode) {
    TRecordBuffer record = dataSet->CurrentBuffer();
    if (!record) return;
    uint8_t* slot = dataSet->SlotOf(record, field);
    if (mode != bmWrite && slot[0]) {
      int32_t id;
      std::memcpy(&id, slot + 1, 4);
      const TBytes& bytes = dataSet->FBlobs[id];
      if (!bytes.empty()) WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
      SetPosition(0);
    }
    if (mode != bmRead && !dsWriteModes.Contains(dataSet->State()))
      DatabaseError(SNotEditing, dataSet);
    FModified = mode == bmWrite;
  }
  int32_t Write(const void* buffer, int32_t count) override {
    FModified = true;
    return TMemoryStream::Write(buffer, count);
  }
  ~TScriptedBlobStream() override {
    if (!FModified || FMode == bmRead) return;
    TRecordBuffer record = FDataSet->CurrentBuffer();
    if (!record) return;
    uint8_t* slot = FDataSet->SlotOf(record, FField);
    const auto* data = static_cast<const uint8_t*>(Memory());
    FDataSet->FBlobs.emplace_back(data, data + Size());
    int32_t id = static_cast<int32_t>(FDataSet->FBlobs.size() - 1);
    slot[0] = Size() > 0 ? 1 : 0;
    std::memcpy(slot + 1, &id, 4);
    FDataSet->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(FField));
  }

 private:
  TScriptedDataSet* FDataSet;
  TField* FField;
  TBlobStreamMode FMode;
  bool FModified = false;
};

inline std::unique_ptr<TStream> TScriptedDataSet::CreateBlobStream(TField* field,
                                                                   TBlobStreamMode mode) {
  return std::make_unique<TScriptedBlobStream>(this, field, mode);
}

// A log as one text, a line per entry, for readable comparisons.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// A link that writes every notification into a log, prefixed with its name.
class TLogLink : public TDataLink {
 public:
  TLogLink(std::string name, std::vector<std::string>& log) : FName(std::move(name)), FLog(log) {}
  std::function<void(TLogLink*)> OnScrolled;
  std::function<void(TLogLink*)> OnChanged;
  // CheckBrowseMode comes before every move; most tests leave it out of the log.
  bool LogChecks = false;

 protected:
  void ActiveChanged() override { Put("active " + std::string(Active() ? "on" : "off")); }
  void EditingChanged() override { Put("editing " + std::string(Editing() ? "on" : "off")); }
  void DataSetChanged() override {
    Put("changed");
    if (OnChanged) OnChanged(this);
  }
  void DataSetScrolled(int distance) override {
    Put("scrolled " + std::to_string(distance));
    if (OnScrolled) OnScrolled(this);
  }
  void RecordChanged(TField* field) override {
    Put("record " + (field ? UTF8Encode(field->FieldName()) : std::string("nil")));
  }
  void LayoutChanged() override { Put("layout"); }
  void CheckBrowseMode() override {
    if (LogChecks) Put("check");
  }
  void UpdateData() override { Put("update"); }
  void FocusControl(TField*& field) override {
    Put("focus " + (field ? UTF8Encode(field->FieldName()) : std::string("nil")));
  }

 private:
  void Put(const std::string& text) { FLog.push_back(FName + ": " + text); }
  std::string FName;
  std::vector<std::string>& FLog;
};
