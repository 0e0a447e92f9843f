// TField, the base of the field classes: one column of a dataset, read and written through the
// dataset's record buffers in the type's buffer form, with typed accessors, text forms, validation
// and lookup. TFields is a dataset's list of fields; TFieldList the flat list of every field with
// its full name; TLookupList the cache of a lookup field.
//
// Reading a null field gives "" as text, 0 as a number, false as a Boolean, 0 as a date and Null
// as a Variant. Setting AsString to "" on a field that does not hold text clears it. A typed
// accessor that the field's class does not support raises "Cannot access field '%s' as type %s".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Variant.h"

class TDataSet;
class TField;
class TFieldDef;
class TObjectField;
class TStrings;

using TFieldClass = TField* (*)(TComponent* owner);
// The class reference of a field class T.
template <class T>
TField* CreateFieldOf(TComponent* owner) {
  return new T(owner);
}

using TFieldNotifyEvent = std::function<void(TField* sender)>;
using TFieldGetTextEvent = std::function<void(TField* sender, String& text, bool displayText)>;
using TFieldSetTextEvent = std::function<void(TField* sender, const String& text)>;

// The values a lookup field caches: key value to result value.
class TLookupList {
 public:
  void Add(const Variant& key, const Variant& value);
  void Clear() { FItems.clear(); }
  // The value of the key, or Null.
  Variant ValueOfKey(const Variant& key) const;
  int Count() const { return static_cast<int>(FItems.size()); }

 private:
  std::vector<std::pair<Variant, Variant>> FItems;
};

class TField : public TComponent {
 public:
  explicit TField(TComponent* owner);
  ~TField() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* source) override;

  // ---- Identity and binding.
  TDataSet* DataSet() const { return FDataSet; }
  // Moves the field into the dataset's field list (or out of any, for nullptr). The dataset must
  // be closed.
  virtual void SetDataSet(TDataSet* value);
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& value);
  // The name with the parents' names before it ("ADDRESS.CITY").
  String FullName() const;
  // The 1-based number of the field's definition; -1 for a calculated or lookup field, 0 unbound.
  int FieldNo() const { return FFieldNo; }
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind value);
  bool Calculated() const { return FFieldKind == fkCalculated; }
  bool Lookup() const { return FFieldKind == fkLookup; }
  TObjectField* ParentField() const { return FParentField; }
  void SetParentField(TObjectField* value);
  // The position in the dataset's (or parent field's) field list.
  int Index() const;
  void SetIndex(int value);
  TFieldType DataType() const { return FDataType; }
  int Size() const { return FSize; }
  void SetSize(int value);
  // The bytes of the native buffer form.
  int DataSize() const { return GetDataSize(); }
  // Where a calculated field's value lies in the calculated-field area.
  int Offset() const { return FOffset; }
  int Precision() const { return FPrecision; }
  void SetPrecision(int value);

  // ---- Presentation.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  String DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const String& value);
  String DisplayName() const { return DisplayLabel(); }
  int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
  void SetDisplayWidth(int value);
  // The text shown outside editing (DisplayFormat, OnGetText).
  String DisplayText();
  // The text edited (EditFormat, OnGetText); setting parses it (OnSetText).
  String Text();
  void SetText(const String& value);
  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool Required() const { return FRequired; }
  void SetRequired(bool value) { FRequired = value; }
  const String& Origin() const { return FOrigin; }
  void SetOrigin(const String& value) { FOrigin = value; }
  const String& DefaultExpression() const { return FDefaultExpression; }
  void SetDefaultExpression(const String& value) { FDefaultExpression = value; }
  TAutoRefreshFlag AutoGenerateValue() const { return FAutoGenerateValue; }
  void SetAutoGenerateValue(TAutoRefreshFlag value) { FAutoGenerateValue = value; }
  TProviderFlags ProviderFlags() const { return FProviderFlags; }
  void SetProviderFlags(TProviderFlags value) { FProviderFlags = value; }
  const String& CustomConstraint() const { return FCustomConstraint; }
  void SetCustomConstraint(const String& value) { FCustomConstraint = value; }
  const String& ConstraintErrorMessage() const { return FConstraintErrorMessage; }
  void SetConstraintErrorMessage(const String& value) { FConstraintErrorMessage = value; }
  const String& ImportedConstraint() const { return FImportedConstraint; }
  void SetImportedConstraint(const String& value) { FImportedConstraint = value; }
  bool HasConstraints() const;
  // Whether a keystroke may go into the field's text: every printable character (Cyrillic and
  // every other script) for text fields; digits, sign, separators and exponent for numbers.
  virtual bool IsValidChar(char16_t ch);
  bool CanModify() { return GetCanModify(); }
  virtual bool IsBlob() const { return false; }
  bool IsIndexField() const { return FIsIndexField; }
  void SetIsIndexField(bool value) { FIsIndexField = value; }

  // ---- Values.
  bool IsNull() { return GetIsNull(); }
  virtual void Clear();
  String AsString() { return GetAsString(); }
  virtual void SetAsString(const String& value);
  String AsWideString() { return GetAsWideString(); }
  virtual void SetAsWideString(const String& value);
  AnsiString AsAnsiString() { return GetAsAnsiString(); }
  virtual void SetAsAnsiString(const AnsiString& value);
  int32_t AsInteger() { return GetAsInteger(); }
  virtual void SetAsInteger(int32_t value);
  int64_t AsLargeInt() { return GetAsLargeInt(); }
  virtual void SetAsLargeInt(int64_t value);
  double AsFloat() { return GetAsFloat(); }
  virtual void SetAsFloat(double value);
  Currency AsCurrency() { return GetAsCurrency(); }
  virtual void SetAsCurrency(Currency value);
  TBcd AsBCD() { return GetAsBCD(); }
  virtual void SetAsBCD(const TBcd& value);
  TDateTime AsDateTime() { return GetAsDateTime(); }
  virtual void SetAsDateTime(TDateTime value);
  bool AsBoolean() { return GetAsBoolean(); }
  virtual void SetAsBoolean(bool value);
  TBytes AsBytes() { return GetAsBytes(); }
  virtual void SetAsBytes(const TBytes& value);
  Variant AsVariant() { return GetAsVariant(); }
  virtual void SetAsVariant(const Variant& value);
  Variant Value() { return GetAsVariant(); }
  void SetValue(const Variant& value) { SetAsVariant(value); }
  // The value before the current edit, the value being applied, the value on the server.
  Variant OldValue();
  Variant NewValue();
  void SetNewValue(const Variant& value);
  Variant CurValue();
  // Assigns a Variant by its type through the matching typed setter.
  void AssignValue(const Variant& value);

  // The raw value in the buffer form (see TDataSet::GetFieldData). GetData answers whether the
  // field holds a value; a nullptr buffer only asks. SetData with nullptr clears the field.
  bool GetData(void* buffer, bool nativeFormat = true);
  void SetData(const void* buffer, bool nativeFormat = true);
  // Runs OnValidate with the new value (in native form; nullptr for null) readable through the
  // field while the handler runs. Descendants of TDataSet call it before storing a value.
  void Validate(const void* buffer);
  // Asks the links to focus the control that shows this field.
  void FocusControl();

  // ---- Lookup.
  const String& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& value);
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* value);
  const String& LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const String& value);
  const String& LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const String& value);
  bool LookupCache() const { return FLookupCache; }
  void SetLookupCache(bool value);
  TLookupList* LookupList() const { return FLookupList.get(); }
  void RefreshLookupList();

  // ---- Events.
  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

 protected:
  virtual String GetAsString();
  virtual String GetAsWideString();
  virtual AnsiString GetAsAnsiString();
  virtual int32_t GetAsInteger();
  virtual int64_t GetAsLargeInt();
  virtual double GetAsFloat();
  virtual Currency GetAsCurrency();
  virtual TBcd GetAsBCD();
  virtual TDateTime GetAsDateTime();
  virtual bool GetAsBoolean();
  virtual TBytes GetAsBytes();
  virtual Variant GetAsVariant();
  // The text for display or for editing; the base shows AsString.
  virtual void GetText(String& text, bool displayText);
  // Parses edited text; the base assigns AsString.
  virtual void SetTextValue(const String& value);
  virtual int GetDataSize() const { return 0; }
  virtual int GetDefaultWidth() const { return 10; }
  virtual bool GetIsNull();
  virtual bool GetCanModify();
  // "(Memo)" and the like: what a grid shows for a value it cannot show as text.
  virtual String GetClassDesc();
  // Raises "Invalid field size" for a size the type does not allow.
  virtual void CheckTypeSize(int value);
  virtual void Bind(bool binding);
  virtual void FreeBuffers() {}
  virtual void SetVarValue(const Variant& value);
  // ftFixedChar for a string field marked fixed, and so on.
  virtual void SetFieldType(TFieldType value);
  void Notification(TComponent* component, TOperation operation) override;

  void SetDataType(TFieldType value);
  void SetSizeValue(int value) { FSize = value; }
  void SetPrecisionValue(int value) { FPrecision = value; }
  void SetAlignmentValue(TAlignment value) { FAlignment = value; }
  [[noreturn]] void AccessError(const String& typeName);
  // Raises "Cannot perform this operation on an open dataset" while the dataset is open.
  void CheckInactive();
  // Tells the links that a property shown by controls changed (layout or display only).
  void PropertyChanged(bool layoutAffected);
  // OnChange, after the value was stored.
  virtual void Change();
  // Tells the dataset that this field's value changed.
  void DataChanged();
  // Checks "%g is not a valid value for field '%s'..." for numeric ranges.
  [[noreturn]] void RangeError(double value, double minValue, double maxValue);

 private:
  friend class TDataSet;
  friend class TFields;
  friend class TFieldDef;
  friend class TObjectField;
  void CalcLookupValue();

  TDataSet* FDataSet = nullptr;
  TObjectField* FParentField = nullptr;
  String FFieldName;
  String FDisplayLabel;
  String FEditMask;
  String FOrigin;
  String FDefaultExpression;
  String FCustomConstraint;
  String FConstraintErrorMessage;
  String FImportedConstraint;
  String FKeyFields;
  String FLookupKeyFields;
  String FLookupResultField;
  TDataSet* FLookupDataSet = nullptr;
  std::unique_ptr<TLookupList> FLookupList;
  TFieldType FDataType = ftUnknown;
  TFieldKind FFieldKind = fkData;
  TAlignment FAlignment = taLeftJustify;
  TAutoRefreshFlag FAutoGenerateValue = arNone;
  TProviderFlags FProviderFlags = {pfInUpdate, pfInWhere};
  int FFieldNo = 0;
  int FSize = 0;
  int FOffset = 0;
  int FPrecision = 0;
  int FDisplayWidth = 0;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
  bool FIsIndexField = false;
  bool FLookupCache = false;
  // While OnValidate runs: the value being validated (nullptr: null).
  bool FValidating = false;
  const void* FValueBuffer = nullptr;
};

// A dataset's fields (or an object field's child fields), in order. The list does not own the
// fields: each is a component owned by its owner; Clear frees them.
class TFields {
 public:
  explicit TFields(TDataSet* dataSet) : FDataSet(dataSet) {}
  ~TFields();
  TFields(const TFields&) = delete;
  TFields& operator=(const TFields&) = delete;

  int Count() const { return static_cast<int>(FList.size()); }
  // Raises "Field index out of range".
  TField* Fields(int index) const;
  TField* operator[](int index) const { return Fields(index); }
  // By name as the field list's rules say: the exact spelling first, then without case.
  TField* FindField(std::u16string_view fieldName) const;
  // Raises "Field '%s' not found".
  TField* FieldByName(std::u16string_view fieldName) const;
  TField* FieldByNumber(int fieldNo) const;
  int IndexOf(const TField* field) const;
  void Add(TField* field);
  void Remove(TField* field);
  // Frees every field of the list.
  void Clear();
  void SetFieldIndex(TField* field, int value);
  TDataSet* DataSet() const { return FDataSet; }
  // Moves the list (an object field's children) and its fields to another dataset.
  void SetDataSet(TDataSet* dataSet);
  std::vector<TField*>::const_iterator begin() const { return FList.begin(); }
  std::vector<TField*>::const_iterator end() const { return FList.end(); }
  void CheckFieldName(const String& fieldName) const;
  // Called when a field joins or leaves: the owner's lists are out of date.
  std::function<void()> OnChange;

 private:
  TDataSet* FDataSet;
  std::vector<TField*> FList;
};

// Every field of a dataset, the child fields of object fields included, by full name.
class TFieldList {
 public:
  explicit TFieldList(TDataSet* dataSet) : FDataSet(dataSet) {}
  int Count();
  TField* Fields(int index);
  TField* Find(const String& fullName);
  TField* FieldByName(const String& fullName);
  void Invalidate() { FUpdated = false; }

 private:
  void Update();
  TDataSet* FDataSet;
  std::vector<TField*> FList;
  bool FUpdated = false;
};

// The field class a default field of the type is made of (nullptr for types without one).
TFieldClass DefaultFieldClass(TFieldType type);
