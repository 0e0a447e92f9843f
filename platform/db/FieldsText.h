// Text fields: 8-bit (UTF-8) strings, UTF-16 strings and GUID texts.
#pragma once

#include "platform/db/Fields.h"

// ftString and ftFixedChar: up to Size bytes of UTF-8 text (a longer value is cut at a character
// boundary). The Variant form is 8-bit text.
class TStringField : public TField {
 public:
  explicit TStringField(TComponent* owner);
  bool FixedChar() const { return FFixedChar; }
  void SetFixedChar(bool value);
  bool Transliterate() const { return FTransliterate; }
  void SetTransliterate(bool value) { FTransliterate = value; }
  bool IsValidChar(char16_t ch) override;
  void SetAsString(const String& value) override;
  void SetAsAnsiString(const AnsiString& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;

 protected:
  String GetAsString() override;
  AnsiString GetAsAnsiString() override;
  int32_t GetAsInteger() override;
  int64_t GetAsLargeInt() override;
  double GetAsFloat() override;
  bool GetAsBoolean() override;
  TDateTime GetAsDateTime() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  int GetDataSize() const override;
  int GetDefaultWidth() const override { return Size(); }
  void CheckTypeSize(int value) override;
  void SetFieldType(TFieldType value) override;
  // The stored text; false when the field is null.
  bool GetValue(AnsiString& value);

 private:
  bool FFixedChar = false;
  bool FTransliterate = true;
};

// ftWideString and ftFixedWideChar: up to Size UTF-16 code units. The Variant form is a String.
class TWideStringField : public TField {
 public:
  explicit TWideStringField(TComponent* owner);
  bool FixedChar() const { return FFixedChar; }
  void SetFixedChar(bool value);
  bool IsValidChar(char16_t ch) override;
  void SetAsString(const String& value) override;
  void SetAsWideString(const String& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;

 protected:
  String GetAsString() override;
  String GetAsWideString() override;
  int32_t GetAsInteger() override;
  int64_t GetAsLargeInt() override;
  double GetAsFloat() override;
  bool GetAsBoolean() override;
  TDateTime GetAsDateTime() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  int GetDataSize() const override;
  int GetDefaultWidth() const override { return Size(); }
  void CheckTypeSize(int value) override;
  void SetFieldType(TFieldType value) override;
  bool GetValue(String& value);

 private:
  bool FFixedChar = false;
};

// ftGuid: the 38-character braced text of a GUID.
class TGuidField : public TStringField {
 public:
  explicit TGuidField(TComponent* owner);

 protected:
  void CheckTypeSize(int value) override;
};
