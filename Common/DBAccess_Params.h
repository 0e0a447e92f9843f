// The parameters of the dataset and command components. A blob or memo parameter keeps its value
// in a reference-counted TBlob of the record store, which a record field or another parameter
// may share; every other value lives in the platform parameter's Variant.
#pragma once

#include <cstdint>

#include "Common/MemData_Blob.h"
#include "platform/db/Params.h"

class TStream;

inline constexpr char16_t SDataTypeNotSupported[] = u"Data type is not supported";

class TDAParam : public TParam {
 public:
  explicit TDAParam(TCollection* collection);
  ~TDAParam() override;

  void Assign(TPersistent* source) override;
  void AssignFieldValue(TField* field, const Variant& value) override;
  void Clear() override;

  void SetDataType(TFieldType value) override;
  int32_t DAParamSize() const { return FSize; }
  void SetDAParamSize(int32_t value) { FSize = value; }
  int16_t SubDataType() const { return FSubDataType; }
  void SetSubDataType(int16_t value) { FSubDataType = value; }
  bool National() const { return FNational; }
  void SetNational(bool value) { FNational = value; }

  TSharedObject* ParamObject() const { return FParamObject; }
  // Shares the object: it gains a reference, the previous one loses one.
  void SetParamObject(TSharedObject* object);
  static bool IsBlobDataType(TFieldType type) { return type == ftBlob || type == ftMemo; }
  bool IsSharedObject() const { return IsBlobDataType(DataType()); }

  Variant GetAsVariant() override;
  // The value as the parameter keeps it, without a copy; for a parameter that holds no blob
  // object (a blob's content is read through GetAsVariant).
  const Variant& StoredValue() const { return Data(); }
  void SetAsVariant(const Variant& value) override;
  String GetAsString() override;
  void SetAsString(const String& value) override;
  String GetAsWideString() override;
  void SetAsWideString(const String& value) override;
  int64_t GetAsLargeInt() override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsBlob(const TBytes& value) override;
  void SetAsMemo(const String& value) override;
  void SetText(const String& value) override;
  // The stream's whole content into the parameter's blob; only ftBlob and ftMemo hold one
  // ("Data type is not supported").
  void LoadFromStream(TStream* stream, TFieldType blobType) override;
  // The parameter's blob; an untyped parameter becomes ftBlob (ftMemo) first. None for other
  // types.
  TBlob* AsBlobRef();
  void SetAsBlobRef(TBlob* blob);
  TBlob* AsMemoRef();
  void SetAsMemoRef(TBlob* blob);

 protected:
  bool GetIsNull() override;
  // Tells the collection, which then binds by name after a change in an update event.
  void ValueChanged() override;

 private:
  TBlob* Blob() const;
  void CreateParamObject();
  void FreeParamObject();

  int32_t FSize = 0;
  int16_t FSubDataType = 0;
  TSharedObject* FParamObject = nullptr;
  bool FNational = false;
};

class TDAParams : public TParams {
 public:
  explicit TDAParams(TPersistent* owner = nullptr);

  TDAParam* Items(int index) const { return static_cast<TDAParam*>(TParams::Items(index)); }
  TDAParam* ParamByName(const String& name) const {
    return static_cast<TDAParam*>(TParams::ParamByName(name));
  }
  TDAParam* FindParam(const String& name) const {
    return static_cast<TDAParam*>(TParams::FindParam(name));
  }
  // Blob parameters get their object from the data type.
  TDAParam* CreateParam(TFieldType type, const String& name, TParamType paramType);
  // A parameter changed while the list was handed to an update event (bind mode 2): the
  // command binds by name from then on (bind mode 1).
  void Update(TCollectionItem* item) override;
  bool NeedsUpdateItem = true;
  uint8_t BindMode = 0;
};
