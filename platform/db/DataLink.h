// Data links: how a control (or a detail dataset) listens to a data source. TDataLink sees a
// window of BufferCount records of the dataset's buffer window; TDetailDataLink names a detail
// dataset; TFieldDataLink binds one field of the current record to a control.
//
// A link's window. Each link keeps its own first slot in the dataset's window, so that
// ActiveRecord() = the dataset's active slot - that first slot, always within
// 0 .. BufferCount() - 1, and RecordCount() is the number of filled records the link sees. The
// window slides as little as it must to keep the current record inside it; DataSetScrolled gets
// the number of records it slid (positive forwards).
#pragma once

#include <functional>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Persistent.h"

class TComponent;
class TDataSet;
class TDataSource;
class TField;

class TDataLink : public TPersistent {
 public:
  TDataLink();
  ~TDataLink() override;

  TDataSource* DataSource() const { return FDataSource; }
  // Raises "DataSource cannot be changed" while DataSourceFixed is set.
  void SetDataSource(TDataSource* value);
  bool DataSourceFixed() const { return FDataSourceFixed; }
  void SetDataSourceFixed(bool value) { FDataSourceFixed = value; }
  TDataSet* DataSet() const;
  // Active: the source is enabled and its dataset open.
  bool Active() const { return FActive; }
  // Editing: active, the dataset in an edit state, the link not read-only.
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  int BufferCount() const { return FBufferCount; }
  // Resizes the dataset's window around its current record when active (no event).
  void SetBufferCount(int value);
  // The current record's slot in this link's window.
  int ActiveRecord() const;
  // Makes slot k of this link's window the dataset's active buffer, with no event and no cursor
  // move, so that fields read that record. Raises for a slot outside the dataset's window.
  void SetActiveRecord(int value);
  int RecordCount() const;
  // Asks the source to edit (AutoEdit); returns Editing().
  bool Edit();
  // Runs UpdateData, with RecordChanged held off meanwhile.
  void UpdateRecord();
  bool Bof() const;
  bool Eof() const;
  // MoveBy of the dataset.
  int MoveBy(int distance);
  // A link of a control: the dataset's DisableControls silences it.
  bool VisualControl() const { return FVisualControl; }
  void SetVisualControl(bool value) { FVisualControl = value; }

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  // The base sends DataSetChanged to RecordChanged(nullptr).
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  // The base sends a scroll on as DataSetChanged.
  virtual void DataSetScrolled(int distance);
  virtual void EditingChanged() {}
  // Set field to nullptr when the control took the focus.
  virtual void FocusControl(TField*& field);
  // The base sends a layout change on as DataSetChanged.
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField*) {}
  virtual void UpdateData() {}
  virtual void DataEvent(TDataEvent event, intptr_t info);
  // The first slot this link sees, with the link's window kept inside the dataset's window.
  int FirstRecord() const;

 private:
  friend class TDataSource;
  friend class TDataSet;

  void UpdateState();
  void SetActive(bool value);
  void SetEditing(bool value);
  void UpdateRange();
  int ClampFirst(int first) const;

  TDataSource* FDataSource = nullptr;
  int FFirstRecord = 0;
  int FBufferCount = 1;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
  bool FDataSourceFixed = false;
  bool FVisualControl = false;
};

// A link that drives a detail dataset.
class TDetailDataLink : public TDataLink {
 public:
  TDataSet* DetailDataSet() { return GetDetailDataSet(); }

 protected:
  virtual TDataSet* GetDetailDataSet() { return nullptr; }
};

// Binds one field of the current record to a control.
class TFieldDataLink : public TDataLink {
 public:
  TFieldDataLink() = default;

  // The control the link serves (not owned).
  TComponent* Control() const { return FControl; }
  void SetControl(TComponent* value) { FControl = value; }
  const String& FieldName() const { return FFieldName; }
  // Binds the field of that name; an empty or unknown name binds none.
  void SetFieldName(const String& value);
  TField* Field() const { return FField; }
  // Not read-only, a field bound and the field modifiable.
  bool CanModify() const;
  bool Editing() const { return FEditing; }
  // Puts the dataset into edit through the source when it can; returns Editing().
  bool Edit();
  // Marks the control's value changed: the next UpdateRecord sends OnUpdateData.
  void Modified() { FModified = true; }
  bool IsModified() const { return FModified; }
  // Shows the field's value again, dropping the control's change.
  void Reset() { RecordChanged(nullptr); }

  // The record or the bound field changed (also when a field is bound); clears the modified
  // flag.
  TNotifyEvent OnDataChange;
  TNotifyEvent OnEditingChange;
  // Write the control's value into the field: only when modified and a field is bound.
  TNotifyEvent OnUpdateData;
  TNotifyEvent OnActiveChange;
  // Asked to focus the control for the bound field; answers whether it took the focus.
  std::function<bool(TFieldDataLink* link)> OnFocusControl;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField*& field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  void UpdateField();
  void SetField(TField* value);
  void SetEditingValue(bool value);

  TComponent* FControl = nullptr;
  String FFieldName;
  TField* FField = nullptr;
  bool FEditing = false;
  bool FModified = false;
};
