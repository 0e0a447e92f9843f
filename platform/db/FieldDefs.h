// Field definitions (what columns a dataset's records have: name, type, size, attributes, child
// definitions of object columns) and index definitions.
#pragma once

#include <memory>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Collection.h"

class TDataSet;
class TField;
class TFieldDefs;
class TObjectField;
using TFieldClass = TField* (*)(TComponent* owner);

// A collection item with a name, unique (case-insensitively) in its collection.
class TNamedItem : public TCollectionItem {
 public:
  explicit TNamedItem(TCollection* collection) : TCollectionItem(collection) {}
  const String& Name() const { return FName; }
  // Raises "Duplicate name '%s' in %s" for a name another item of the collection has.
  virtual void SetName(const String& value);
  String DisplayName() const override { return FName; }

 private:
  String FName;
};

class TFieldDef : public TNamedItem {
 public:
  explicit TFieldDef(TCollection* collection);
  // Adds itself to the owner with the given properties.
  TFieldDef(TFieldDefs* owner, const String& name, TFieldType dataType, int size, bool required,
            int fieldNo);
  ~TFieldDef() override;
  void Assign(TPersistent* source) override;

  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType value);
  int Size() const { return FSize; }
  void SetSize(int value);
  int Precision() const { return FPrecision; }
  void SetPrecision(int value);
  TFieldAttributes Attributes() const { return FAttributes; }
  void SetAttributes(TFieldAttributes value);
  bool Required() const { return FAttributes.Contains(faRequired); }
  void SetRequired(bool value);
  bool InternalCalcField() const { return FInternalCalcField; }
  void SetInternalCalcField(bool value) { FInternalCalcField = value; }
  // The 1-based number of the definition (its index + 1 unless set).
  int FieldNo() const;
  void SetFieldNo(int value) { FFieldNo = value; }
  // The definitions of an object, array or reference column's members.
  TFieldDefs* ChildDefs();
  bool HasChildDefs() const;
  TFieldDef* ParentDef() const;
  TFieldDefs* Owner() const;
  TDataSet* DataSet() const;
  // The name with its parents' names before it.
  String FullName() const;
  // The class the definition's field is made of.
  TFieldClass FieldClass() const;
  // A field made from the definition and added to the dataset (or to the parent field), with its
  // child fields when asked.
  TField* CreateField(TComponent* owner, TObjectField* parentField = nullptr,
                      const String& fieldName = String(), bool createChildren = true);

 private:
  std::unique_ptr<TFieldDefs> FChildDefs;
  TFieldType FDataType = ftUnknown;
  TFieldAttributes FAttributes;
  int FSize = 0;
  int FPrecision = 0;
  int FFieldNo = 0;
  bool FInternalCalcField = false;
};

// The definitions of a dataset, or of an object definition's members (ParentDef set).
class TFieldDefs : public TOwnedCollection {
 public:
  // The definitions of a dataset.
  explicit TFieldDefs(TDataSet* dataSet);
  // The child definitions of an object definition.
  explicit TFieldDefs(TFieldDef* parentDef);

  TFieldDef* Items(int index) const { return static_cast<TFieldDef*>(TCollection::Items(index)); }
  TFieldDef* operator[](int index) const { return Items(index); }
  TFieldDef* AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }
  void Add(const String& name, TFieldType dataType, int size = 0, bool required = false);
  // The definition of that name (case-insensitive) or nullptr.
  TFieldDef* Find(const String& name) const;
  int IndexOf(const String& name) const;
  // Asks the dataset to refresh its definitions (when closed).
  void Update();
  bool Updated() const { return FUpdated; }
  void SetUpdated(bool value) { FUpdated = value; }
  bool HiddenFields() const { return FHiddenFields; }
  void SetHiddenFields(bool value) { FHiddenFields = value; }
  TFieldDef* ParentDef() const { return FParentDef; }
  TDataSet* DataSet() const { return FDataSet; }

 protected:
  void Update(TCollectionItem* item) override;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;

 private:
  TDataSet* FDataSet = nullptr;
  TFieldDef* FParentDef = nullptr;
  bool FUpdated = false;
  bool FHiddenFields = false;
};

// Every field definition of a dataset, child definitions included, by full name.
class TFieldDefList {
 public:
  explicit TFieldDefList(TDataSet* dataSet) : FDataSet(dataSet) {}
  int Count();
  TFieldDef* FieldDefs(int index);
  TFieldDef* Find(const String& fullName);
  // Raises "Field '%s' not found".
  TFieldDef* FieldByName(const String& fullName);
  void Invalidate() { FUpdated = false; }

 private:
  void Update();
  TDataSet* FDataSet;
  std::vector<std::pair<String, TFieldDef*>> FList;
  bool FUpdated = false;
};

class TIndexDef : public TNamedItem {
 public:
  explicit TIndexDef(TCollection* collection) : TNamedItem(collection) {}
  TIndexDef(class TIndexDefs* owner, const String& name, const String& fields,
            TIndexOptions options);
  void Assign(TPersistent* source) override;

  // The ";"-separated field names of the key.
  const String& Fields() const { return FFields; }
  void SetFields(const String& value) { FFields = value; }
  TIndexOptions Options() const { return FOptions; }
  void SetOptions(TIndexOptions value) { FOptions = value; }
  const String& DescFields() const { return FDescFields; }
  void SetDescFields(const String& value) { FDescFields = value; }
  const String& CaseInsFields() const { return FCaseInsFields; }
  void SetCaseInsFields(const String& value) { FCaseInsFields = value; }
  const String& Expression() const { return FExpression; }
  void SetExpression(const String& value) { FExpression = value; }
  const String& Source() const { return FSource; }
  void SetSource(const String& value) { FSource = value; }
  int GroupingLevel() const { return FGroupingLevel; }
  void SetGroupingLevel(int value) { FGroupingLevel = value; }

 private:
  String FFields;
  String FDescFields;
  String FCaseInsFields;
  String FExpression;
  String FSource;
  TIndexOptions FOptions;
  int FGroupingLevel = 0;
};

class TIndexDefs : public TOwnedCollection {
 public:
  explicit TIndexDefs(TDataSet* dataSet);
  TIndexDef* Items(int index) const { return static_cast<TIndexDef*>(TCollection::Items(index)); }
  TIndexDef* operator[](int index) const { return Items(index); }
  TIndexDef* AddIndexDef() { return static_cast<TIndexDef*>(TCollection::Add()); }
  void Add(const String& name, const String& fields, TIndexOptions options);
  // The definition of that name; raises "Index '%s' not found".
  TIndexDef* Find(const String& name) const;
  int IndexOf(const String& name) const;
  // The first index whose leading fields are the given ones (case-insensitive when asked), or
  // nullptr; GetIndexForFields raises "No index for fields '%s'".
  TIndexDef* FindIndexForFields(const String& fields) const;
  TIndexDef* GetIndexForFields(const String& fields, bool caseInsensitive) const;
  bool Updated() const { return FUpdated; }
  void SetUpdated(bool value) { FUpdated = value; }
  TDataSet* DataSet() const { return FDataSet; }

 private:
  TDataSet* FDataSet;
  bool FUpdated = false;
};

// Splits a ";"-separated list of names (blanks around each name dropped, empty names skipped).
std::vector<String> SplitFieldNames(const String& names);
