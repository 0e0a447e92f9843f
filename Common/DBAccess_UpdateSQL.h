// The user update SQL component: a dataset component's update object. For each kind of change
// it carries either a statement text the user wrote or another component (a dataset or a
// command component) that runs the statement; the dataset's updater takes them before the
// dataset's own texts and before generating one.
#pragma once

#include <array>
#include <memory>

#include "Common/DBAccess_StatementType.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/StringList.h"

class TCustomDADataSet;

inline constexpr char16_t SCircularUpdateObject[] =
    u"Circular references are not allowed between TCustomDADataset and TCustomDAUpdateSQL "
    u"objects";
inline constexpr char16_t SUpdateObjectClasses[] =
    u"Only %s and %s objects are allowed in update properties";
inline constexpr char16_t SUpdateObjectSQLEmpty[] =
    u"SQL property of InsertObject, ModifyObject, DeleteObject or RefreshObject cannot be empty";

// A class a component slot accepts: its name for messages and the test of an instance.
struct TDAComponentClass {
  String Name;
  bool (*IsInstance)(const TComponent* component) = nullptr;

  template <class T>
  static TDAComponentClass Of(const String& name) {
    return {name, [](const TComponent* c) { return dynamic_cast<const T*>(c) != nullptr; }};
  }
};

class TCustomDAUpdateSQL : public TComponent {
 public:
  explicit TCustomDAUpdateSQL(TComponent* owner);
  ~TCustomDAUpdateSQL() override;

  // ---- Slots by statement type. Only the insert, modify, delete, lock and refresh texts exist;
  // the others are none.
  TStrings* SQL(TStatementType type) const { return FSQLText[type].get(); }
  // Copies the lines into the slot's list.
  void SetSQL(TStatementType type, TStrings* value);
  TComponent* Object(TStatementType type) const { return FSQLObject[type]; }
  // A dataset or command component of this provider, or none; see CheckComponent.
  void SetObject(TStatementType type, TComponent* value);

  TStrings* InsertSQL() const { return SQL(stInsert); }
  TStrings* ModifySQL() const { return SQL(stUpdate); }
  TStrings* DeleteSQL() const { return SQL(stDelete); }
  TStrings* LockSQL() const { return SQL(stLock); }
  TStrings* RefreshSQL() const { return SQL(stRefresh); }
  void SetInsertSQL(TStrings* value) { SetSQL(stInsert, value); }
  void SetModifySQL(TStrings* value) { SetSQL(stUpdate, value); }
  void SetDeleteSQL(TStrings* value) { SetSQL(stDelete, value); }
  void SetLockSQL(TStrings* value) { SetSQL(stLock, value); }
  void SetRefreshSQL(TStrings* value) { SetSQL(stRefresh, value); }
  TComponent* InsertObject() const { return Object(stInsert); }
  TComponent* ModifyObject() const { return Object(stUpdate); }
  TComponent* DeleteObject() const { return Object(stDelete); }
  TComponent* LockObject() const { return Object(stLock); }
  TComponent* RefreshObject() const { return Object(stRefresh); }
  void SetInsertObject(TComponent* value) { SetObject(stInsert, value); }
  void SetModifyObject(TComponent* value) { SetObject(stUpdate, value); }
  void SetDeleteObject(TComponent* value) { SetObject(stDelete, value); }
  void SetLockObject(TComponent* value) { SetObject(stLock, value); }
  void SetRefreshObject(TComponent* value) { SetObject(stRefresh, value); }

  // The text for a kind of change: modify, insert or delete.
  virtual TStrings* GetSQL(TUpdateKind updateKind);
  // The dataset that uses this object; the dataset sets it when it takes the object.
  virtual TCustomDADataSet* GetDataSet() const { return FDataSet; }
  virtual void SetDataSet(TCustomDADataSet* value) { FDataSet = value; }
  TCustomDADataSet* DataSet() const { return GetDataSet(); }
  // The dataset and command classes the component slots accept.
  virtual TDAComponentClass DataSetClass() const;
  virtual TDAComponentClass SQLClass() const;
  // Runs the text of the kind through the dataset's updater, its parameters filled from the
  // dataset's current record.
  virtual void ExecSQL(TUpdateKind updateKind);

  // Another update object takes the refresh, modify, insert and delete texts and components and
  // the dataset (not the lock text and component).
  void AssignTo(TPersistent* dest) override;

  // None is accepted; an instance of SQLClass or DataSetClass is accepted unless it is the
  // dataset that uses this object; anything else fails.
  void CheckComponent(TComponent* component) const;

 protected:
  // A referenced component that goes leaves every slot that holds it.
  void Notification(TComponent* component, TOperation operation) override;

 private:
  std::array<std::unique_ptr<TStringList>, 10> FSQLText;
  std::array<TComponent*, 10> FSQLObject{};
  TCustomDADataSet* FDataSet = nullptr;
};
