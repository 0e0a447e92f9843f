// Date and time fields. The field classes see TDateTime values; the buffers hold the time-stamp
// forms (day number, milliseconds since midnight, milliseconds of the time stamp). Text follows
// the process's format settings: ShortDateFormat for dates, LongTimeFormat for times, both for
// date-times (the time left out at midnight), or DisplayFormat when set.
#pragma once

#include "platform/db/Fields.h"

class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TComponent* owner);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& value);
  void SetAsString(const String& value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsFloat(double value) override;

 protected:
  String GetAsString() override;
  TDateTime GetAsDateTime() override;
  double GetAsFloat() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  void GetText(String& text, bool displayText) override;
  int GetDataSize() const override;
  int GetDefaultWidth() const override;
  bool GetValue(TDateTime& value);

 private:
  String FDisplayFormat;
};

class TDateField : public TDateTimeField {
 public:
  explicit TDateField(TComponent* owner);
};

class TTimeField : public TDateTimeField {
 public:
  explicit TTimeField(TComponent* owner);
};
