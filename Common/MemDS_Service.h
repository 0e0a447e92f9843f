// The in-memory dataset's extension points (part of unit MemDS): the dataset service, its
// companion object that owns the updater, chooses field classes, sets numeric ranges and describes
// fields as XML; and the updater, which turns the record store's change hooks into work. In these
// bases every updater operation succeeds without doing anything, so that a bare TMemDataSet keeps
// its changes in memory only; the components' updater sends the statements.
#pragma once

#include <cstdint>
#include <memory>
#include <typeinfo>

#include "Common/MemData.h"
#include "platform/db/DB.h"
#include "platform/rtl/Object.h"

class TMemDataSet;
class TDataSetService;
class XmlTextWriter;

class TDataSetUpdater : public TObject {
 public:
  // A nil service is an internal error.
  explicit TDataSetUpdater(TDataSetService* service);

  virtual bool PerformAppend() { return true; }
  virtual bool PerformDelete() { return true; }
  virtual bool PerformUpdate() { return true; }
  virtual bool RecordReverted() { return true; }
  virtual bool UpdatesApplied() { return true; }
  virtual bool UpdatesCanceled() { return true; }
  // Whether the updater collects the statements of applied changes into batches.
  virtual bool BatchAllowed() { return false; }
  virtual bool BatchFull() { return false; }
  virtual void FlushBatch() {}

  TDataSetService* DataSetService() const { return FDataSetService; }
  TMemDataSet* DataSet() const { return FDataSet; }

 private:
  TDataSetService* FDataSetService;
  TMemDataSet* FDataSet;
};

class TDataSetService : public TObject {
 public:
  // Made through TDataSetServiceClass, which then calls CreateUpdater (a constructor cannot
  // dispatch to a descendant's updater class).
  explicit TDataSetService(TMemDataSet* dataSet);
  ~TDataSetService() override;

  TMemDataSet* DataSet() const { return FDataSet; }
  TDataSetUpdater* Updater() const { return FUpdater.get(); }

  // Creates this service's updater class and installs it.
  virtual void CreateUpdater();
  // Frees the current updater and takes the given one.
  virtual void ReplaceUpdater(std::unique_ptr<TDataSetUpdater> updater);
  // Limits a numeric field to what its column holds (length and scale of its descriptor).
  virtual void SetNumberFieldRange(TFieldDef* fieldDef);
  virtual TFieldClass GetFieldClass(TFieldType fieldType);
  // Called after the data object opened or was prepared, before field definitions are built.
  virtual void InitUpdatingInfo() {}
  // The data object described its fields anew or dropped them: what was learnt about the former
  // descriptors no longer holds.
  virtual void FieldsChanged() {}
  // The rowset-schema attributes of the field's type.
  virtual void WriteFieldXMLDataType(TField* field, TFieldDesc* fieldDesc, XmlTextWriter& writer);
  // The field's name, number and nullability attributes; name, when given, replaces the field's.
  virtual void WriteFieldXMLAttributes(TField* field, TFieldDesc* fieldDesc, XmlTextWriter& writer,
                                       const String& name);
  // The field's value as the rowset's text.
  virtual String GetFieldXMLValue(TField* field, TFieldDesc* fieldDesc);
  // Numbered provider properties; the base knows none (an internal error).
  virtual bool SetProp(int32_t prop, const Variant& value);
  virtual bool GetProp(int32_t prop, Variant& value);

 private:
  TMemDataSet* FDataSet;
  std::unique_ptr<TDataSetUpdater> FUpdater;
};

// A class reference to a service class: its type, to tell whether an installed service is of
// that class, and how to make one (with its updater) for a dataset.
struct TDataSetServiceClass {
  const std::type_info* Type = nullptr;
  std::unique_ptr<TDataSetService> (*Create)(TMemDataSet* dataSet) = nullptr;

  template <class T>
  static TDataSetServiceClass Of() {
    return {&typeid(T), [](TMemDataSet* dataSet) -> std::unique_ptr<TDataSetService> {
              std::unique_ptr<TDataSetService> service = std::make_unique<T>(dataSet);
              service->CreateUpdater();
              return service;
            }};
  }
};
