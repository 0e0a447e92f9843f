// Parameters of statements: TParam holds a name, a data type, a direction and a Variant value;
// TParams is the collection a command or dataset owns. Each typed setter also sets the data type
// (AsInteger makes an ftInteger parameter), and any assignment marks the parameter Bound.
// Reading a null parameter gives "", 0, 0.0, false and Null, as fields do.
#pragma once

#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Variant.h"

class TDataSet;
class TField;
class TParams;
class TStream;

class TParam : public TCollectionItem {
 public:
  explicit TParam(TCollection* collection);
  TParam(TParams* params, TParamType paramType);
  void Assign(TPersistent* source) override;
  // Name, type, direction, size and value of another parameter.
  void AssignParam(TParam* param);
  // The field's name, type and value.
  void AssignField(TField* field);
  // The field's type and the given value.
  virtual void AssignFieldValue(TField* field, const Variant& value);
  virtual void Clear();
  virtual void LoadFromStream(TStream* stream, TFieldType blobType);
  String DisplayName() const override { return FName.empty() ? TCollectionItem::DisplayName() : FName; }

  const String& Name() const { return FName; }
  void SetName(const String& value) { FName = value; }
  TFieldType DataType() const { return GetDataType(); }
  // Keeps the value; a descendant may keep a value object per type.
  virtual void SetDataType(TFieldType value) { FDataType = value; }
  TParamType ParamType() const { return FParamType; }
  void SetParamType(TParamType value) { FParamType = value; }
  bool Bound() const { return FBound; }
  void SetBound(bool value) { FBound = value; }
  bool IsNull() { return GetIsNull(); }
  int Size() const { return FSize; }
  void SetSize(int value) { FSize = value; }
  int Precision() const { return FPrecision; }
  void SetPrecision(int value) { FPrecision = value; }
  int NumericScale() const { return FNumericScale; }
  void SetNumericScale(int value) { FNumericScale = value; }
  TParams* Params() const;

  // ---- The value. Each accessor is virtual so that a descendant can keep some values elsewhere
  // (a blob object) and read them back its own way.
  Variant Value() { return GetAsVariant(); }
  void SetValue(const Variant& value) { SetAsVariant(value); }
  virtual Variant GetAsVariant();
  // An empty Variant unbinds the parameter; the type is taken from the Variant when unknown.
  virtual void SetAsVariant(const Variant& value);
  String AsString() { return GetAsString(); }
  virtual String GetAsString();
  virtual void SetAsString(const String& value);
  String AsWideString() { return GetAsWideString(); }
  virtual String GetAsWideString();
  virtual void SetAsWideString(const String& value);
  int32_t AsInteger() { return GetAsInteger(); }
  virtual int32_t GetAsInteger();
  virtual void SetAsInteger(int32_t value);
  virtual void SetAsSmallInt(int32_t value);
  virtual void SetAsWord(int32_t value);
  int64_t AsLargeInt() { return GetAsLargeInt(); }
  virtual int64_t GetAsLargeInt();
  virtual void SetAsLargeInt(int64_t value);
  double AsFloat() { return GetAsFloat(); }
  virtual double GetAsFloat();
  virtual void SetAsFloat(double value);
  Currency AsCurrency() { return GetAsCurrency(); }
  virtual Currency GetAsCurrency();
  virtual void SetAsCurrency(Currency value);
  // ftBCD: a Currency value.
  Currency AsBCD() { return GetAsCurrency(); }
  virtual void SetAsBCD(Currency value);
  TBcd AsFMTBCD() { return GetAsFMTBCD(); }
  virtual TBcd GetAsFMTBCD();
  virtual void SetAsFMTBCD(const TBcd& value);
  bool AsBoolean() { return GetAsBoolean(); }
  virtual bool GetAsBoolean();
  virtual void SetAsBoolean(bool value);
  TDateTime AsDateTime() { return GetAsDateTime(); }
  virtual TDateTime GetAsDateTime();
  virtual void SetAsDateTime(TDateTime value);
  virtual void SetAsDate(TDateTime value);
  virtual void SetAsTime(TDateTime value);
  TSQLTimeStamp AsSQLTimeStamp() { return GetAsSQLTimeStamp(); }
  virtual TSQLTimeStamp GetAsSQLTimeStamp();
  virtual void SetAsSQLTimeStamp(const TSQLTimeStamp& value);
  TBytes AsBytes() { return GetAsBytes(); }
  virtual TBytes GetAsBytes();
  virtual void SetAsBytes(const TBytes& value);
  // ftBlob from bytes, ftMemo from text.
  virtual void SetAsBlob(const TBytes& value);
  virtual void SetAsMemo(const String& value);
  // The text of the value; setting keeps the data type.
  String Text() { return GetAsString(); }
  virtual void SetText(const String& value);

 protected:
  virtual TFieldType GetDataType() const { return FDataType; }
  virtual bool GetIsNull();
  void AssignTo(TPersistent* dest) override;
  // Stores the value under the type, bound.
  void SetTypedValue(TFieldType type, const Variant& value);
  // Called after every change of the value; a descendant may tell its collection.
  virtual void ValueChanged() {}
  const Variant& Data() const { return FData; }

 private:
  String FName;
  Variant FData;
  TFieldType FDataType = ftUnknown;
  TParamType FParamType = ptUnknown;
  int FSize = 0;
  int FPrecision = 0;
  int FNumericScale = 0;
  bool FBound = false;
};

class TParams : public TCollection {
 public:
  // The owner (a command or dataset) is reported for naming and gets the parameters' changes.
  explicit TParams(TPersistent* owner = nullptr);
  TParams(TPersistent* owner, TCollectionItemClass itemClass);

  TParam* Items(int index) const { return static_cast<TParam*>(TCollection::Items(index)); }
  TParam* operator[](int index) const { return Items(index); }
  TParam* AddParameter() { return static_cast<TParam*>(TCollection::Add()); }
  void AddParam(TParam* value) { value->SetCollection(this); }
  void RemoveParam(TParam* value) { value->SetCollection(nullptr); }
  TParam* CreateParam(TFieldType fieldType, const String& paramName, TParamType paramType);
  // The parameter of that name (case-insensitive), or nullptr.
  TParam* FindParam(const String& value) const;
  // The parameter, or EDatabaseError "Parameter '%s' not found".
  TParam* ParamByName(const String& value) const;
  // The parameters named in the ";"-separated list; raises for an unknown name.
  void GetParamList(std::vector<TParam*>& list, const String& paramNames) const;
  // One value, or an array of the values of the ";"-separated parameters.
  Variant ParamValues(const String& paramNames) const;
  void SetParamValues(const String& paramNames, const Variant& value);
  // Copies the values of the parameters of the same names.
  void AssignValues(TParams* value);
  // The same names, types and values in the same order.
  bool IsEqual(TParams* value) const;

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};
