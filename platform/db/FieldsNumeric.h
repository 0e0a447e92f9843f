// Numeric fields (integers, floats, currency and decimals) and the Boolean field. Numbers align
// right. A float given to an integer field is rounded half to even, as the toolchain rounds; a
// value outside the field's range (MinValue/MaxValue when either is set, else the type's range)
// raises "%g is not a valid value for field '%s'. The allowed range is %g to %g".
#pragma once

#include "platform/db/Fields.h"

// Numbers: DisplayFormat and EditFormat are FormatFloat pictures ("###,###,##0.00").
class TNumericField : public TField {
 public:
  explicit TNumericField(TComponent* owner);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& value);
  const String& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const String& value);
  // Digits, the signs, and for fractional types the locale's decimal separator and the exponent.
  bool IsValidChar(char16_t ch) override;

 protected:
  virtual bool AllowsFraction() const { return false; }
  // The picture for the text wanted: EditFormat when editing and set, else DisplayFormat.
  const String& TextFormat(bool displayText) const;

 private:
  String FDisplayFormat;
  String FEditFormat;
};

// ftInteger: a 32-bit integer; TSmallintField 16 bits, TWordField 16 bits unsigned,
// TAutoIncField 32 bits filled by the server (read-only).
class TIntegerField : public TNumericField {
 public:
  explicit TIntegerField(TComponent* owner);
  int32_t MinValue() const { return FMinValue; }
  void SetMinValue(int32_t value);
  int32_t MaxValue() const { return FMaxValue; }
  void SetMaxValue(int32_t value);
  void SetAsString(const String& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;

 protected:
  String GetAsString() override;
  int32_t GetAsInteger() override;
  int64_t GetAsLargeInt() override;
  double GetAsFloat() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  void GetText(String& text, bool displayText) override;
  int GetDataSize() const override;
  int GetDefaultWidth() const override { return 11; }
  bool GetValue(int32_t& value);
  void SetRange(int64_t low, int64_t high);

 private:
  int32_t FMinValue = 0;
  int32_t FMaxValue = 0;
  int64_t FMinRange;
  int64_t FMaxRange;
};

class TSmallintField : public TIntegerField {
 public:
  explicit TSmallintField(TComponent* owner);

 protected:
  int GetDefaultWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
 public:
  explicit TWordField(TComponent* owner);

 protected:
  int GetDefaultWidth() const override { return 5; }
};

class TAutoIncField : public TIntegerField {
 public:
  explicit TAutoIncField(TComponent* owner);
};

// ftLargeint: a 64-bit integer.
class TLargeintField : public TNumericField {
 public:
  explicit TLargeintField(TComponent* owner);
  int64_t MinValue() const { return FMinValue; }
  void SetMinValue(int64_t value);
  int64_t MaxValue() const { return FMaxValue; }
  void SetMaxValue(int64_t value);
  void SetAsString(const String& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;

 protected:
  String GetAsString() override;
  int32_t GetAsInteger() override;
  int64_t GetAsLargeInt() override;
  double GetAsFloat() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  void GetText(String& text, bool displayText) override;
  int GetDataSize() const override { return 8; }
  int GetDefaultWidth() const override { return 15; }
  bool GetValue(int64_t& value);

 private:
  int64_t FMinValue = 0;
  int64_t FMaxValue = 0;
};

// ftFloat: a double. Precision (2 to 15, default 15) is the number of significant digits the
// text shows; Currency makes the text a money amount.
class TFloatField : public TNumericField {
 public:
  explicit TFloatField(TComponent* owner);
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool value);
  double MinValue() const { return FMinValue; }
  void SetMinValue(double value) { FMinValue = value; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double value) { FMaxValue = value; }
  void SetPrecision(int value);
  void SetAsString(const String& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;

 protected:
  String GetAsString() override;
  int32_t GetAsInteger() override;
  int64_t GetAsLargeInt() override;
  double GetAsFloat() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  void GetText(String& text, bool displayText) override;
  int GetDataSize() const override { return 8; }
  int GetDefaultWidth() const override { return 10; }
  bool AllowsFraction() const override { return true; }

 private:
  bool FCurrency = false;
  double FMinValue = 0;
  double FMaxValue = 0;
};

// ftCurrency: a double shown as money.
class TCurrencyField : public TFloatField {
 public:
  explicit TCurrencyField(TComponent* owner);
};

// ftBCD: an exact decimal with Size decimals (0 to 4) held as a Currency by the field classes;
// Precision is the number of digits (0: as many as the value has).
class TBCDField : public TNumericField {
 public:
  explicit TBCDField(TComponent* owner);
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool value);
  ::Currency MinValue() const { return FMinValue; }
  void SetMinValue(::Currency value) { FMinValue = value; }
  ::Currency MaxValue() const { return FMaxValue; }
  void SetMaxValue(::Currency value) { FMaxValue = value; }
  void SetAsString(const String& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsCurrency(::Currency value) override;
  void SetAsBCD(const TBcd& value) override;

 protected:
  String GetAsString() override;
  int32_t GetAsInteger() override;
  int64_t GetAsLargeInt() override;
  double GetAsFloat() override;
  ::Currency GetAsCurrency() override;
  TBcd GetAsBCD() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  void GetText(String& text, bool displayText) override;
  int GetDataSize() const override { return static_cast<int>(sizeof(TBcd)); }
  int GetDefaultWidth() const override;
  void CheckTypeSize(int value) override;
  bool AllowsFraction() const override { return true; }
  bool GetValue(::Currency& value);

 private:
  bool FCurrency = false;
  ::Currency FMinValue;
  ::Currency FMaxValue;
};

// ftFMTBcd: an exact decimal of up to 64 digits held as a TBcd; Size is the number of decimals.
class TFMTBCDField : public TNumericField {
 public:
  explicit TFMTBCDField(TComponent* owner);
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool value);
  const String& MinValue() const { return FMinValue; }
  void SetMinValue(const String& value) { FMinValue = value; }
  const String& MaxValue() const { return FMaxValue; }
  void SetMaxValue(const String& value) { FMaxValue = value; }
  void SetAsString(const String& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsCurrency(::Currency value) override;
  void SetAsBCD(const TBcd& value) override;

 protected:
  String GetAsString() override;
  int32_t GetAsInteger() override;
  int64_t GetAsLargeInt() override;
  double GetAsFloat() override;
  ::Currency GetAsCurrency() override;
  TBcd GetAsBCD() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  void GetText(String& text, bool displayText) override;
  int GetDataSize() const override { return static_cast<int>(sizeof(TBcd)); }
  int GetDefaultWidth() const override;
  void CheckTypeSize(int value) override;
  bool AllowsFraction() const override { return true; }
  bool GetValue(TBcd& value);

 private:
  bool FCurrency = false;
  String FMinValue;
  String FMaxValue;
};

// ftBoolean: 16 bits, non-zero is true. DisplayValues ("True;False" by default) names the two
// values for text; reading text accepts any leading part of either name, ignoring case.
class TBooleanField : public TField {
 public:
  explicit TBooleanField(TComponent* owner);
  const String& DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const String& value);
  void SetAsString(const String& value) override;
  void SetAsBoolean(bool value) override;

 protected:
  String GetAsString() override;
  bool GetAsBoolean() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  void GetText(String& text, bool displayText) override;
  int GetDataSize() const override { return 2; }
  int GetDefaultWidth() const override;

 private:
  String FDisplayValues;
  String FTextTrue;
  String FTextFalse;
};
