// Unit LxXml: the attribute writer that the dataset service's per-field XML operations use. Only a
// start tag and its attributes are written: no operation of the library writes a whole document.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

DECLARE_EXCEPTION(XmlException, Exception)

class XmlTextWriter {
 public:
  enum class TWriterState { Start, Content, StartTag, Attribute };

  XmlTextWriter() = default;

  // Opens a start tag ("<name"): attributes go into it until something else is written.
  void WriteStartElement(const String& localName);
  // Inserts ` prefix:name="value"` (no prefix and colon when the prefix is empty) after the last
  // attribute of the open start tag. Raises XmlException outside a start tag.
  void WriteAttributeString(const String& prefix, const String& localName, const String& value);
  void WriteAttribute(const String& localName, const String& value) {
    WriteAttributeString(String(), localName, value);
  }

  const String& Text() const { return FText; }
  TWriterState State() const { return FState; }
  char16_t QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char16_t value) { FQuoteChar = value; }

  // The value with &, ', ", < and > replaced by their numeric character references.
  static String Escape(const String& value);

 private:
  String FText;
  std::vector<size_t> FInsertionPoints;
  char16_t FQuoteChar = u'"';
  TWriterState FState = TWriterState::Start;
};
