// Fields that hold other values: Variants, objects (ADT), arrays, references and nested
// datasets. No provider of this system creates object, array, reference or nested-dataset
// columns; their classes exist so that the type maps and field definitions have a class for every
// type, with the behaviour a field list needs (child fields, values as arrays).
#pragma once

#include <memory>

#include "platform/db/Fields.h"

// ftVariant: the buffer form is a Variant object.
class TVariantField : public TField {
 public:
  explicit TVariantField(TComponent* owner);
  void SetAsString(const String& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsCurrency(Currency value) override;

 protected:
  String GetAsString() override;
  int32_t GetAsInteger() override;
  int64_t GetAsLargeInt() override;
  double GetAsFloat() override;
  bool GetAsBoolean() override;
  TDateTime GetAsDateTime() override;
  Currency GetAsCurrency() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  int GetDataSize() const override;
  void CheckTypeSize(int) override {}
};

// A field made of child fields; its value is the array of their values.
class TObjectField : public TField {
 public:
  explicit TObjectField(TComponent* owner);
  ~TObjectField() override;
  TFields* Fields() const { return FFields.get(); }
  // The child fields, for the top-level object field's dataset.
  int FieldCount() const { return FFields->Count(); }
  const String& ObjectType() const { return FObjectType; }
  void SetObjectType(const String& value) { FObjectType = value; }
  void SetDataSet(TDataSet* value) override;

 protected:
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  String GetAsString() override;
  bool GetIsNull() override;
  void CheckTypeSize(int) override {}

 private:
  std::unique_ptr<TFields> FFields;
  String FObjectType;
};

class TADTField : public TObjectField {
 public:
  explicit TADTField(TComponent* owner);
};

class TArrayField : public TObjectField {
 public:
  explicit TArrayField(TComponent* owner);
};

// A reference to an object of another table: an 8-byte (or Size-byte) reference value.
class TReferenceField : public TObjectField {
 public:
  explicit TReferenceField(TComponent* owner);
  const String& ReferenceTableName() const { return FReferenceTableName; }
  void SetReferenceTableName(const String& value) { FReferenceTableName = value; }

 protected:
  int GetDataSize() const override { return Size() + 2; }

 private:
  String FReferenceTableName;
};

// A nested table: the records live in NestedDataSet, whose DataSetField is this field.
class TDataSetField : public TObjectField {
 public:
  explicit TDataSetField(TComponent* owner);
  ~TDataSetField() override;
  TDataSet* NestedDataSet() const { return FNestedDataSet; }
  bool IncludeObjectField() const { return FIncludeObjectField; }
  void SetIncludeObjectField(bool value) { FIncludeObjectField = value; }

 protected:
  Variant GetAsVariant() override;
  String GetAsString() override;
  bool GetIsNull() override { return false; }

 private:
  friend class TDataSet;
  TDataSet* FNestedDataSet = nullptr;
  bool FIncludeObjectField = false;
};
