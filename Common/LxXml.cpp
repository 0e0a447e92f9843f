#include "Common/LxXml.h"

void XmlTextWriter::WriteStartElement(const String& localName) {
  FText += u'<';
  FText += localName;
  FInsertionPoints.push_back(FText.size());
  FState = TWriterState::StartTag;
}

void XmlTextWriter::WriteAttributeString(const String& prefix, const String& localName,
                                         const String& value) {
  if ((FState != TWriterState::StartTag && FState != TWriterState::Attribute) ||
      FInsertionPoints.empty())
    throw XmlException(
        u"Token WriteAttributeString in state Content would result in an invalid XML document.");
  const size_t at = FInsertionPoints.back();
  FInsertionPoints.pop_back();
  String attribute(1, u' ');
  if (!prefix.empty()) {
    attribute += prefix;
    attribute += u':';
  }
  attribute += localName;
  attribute += u'=';
  attribute += FQuoteChar;
  attribute += Escape(value);
  attribute += FQuoteChar;
  FText.insert(at, attribute);
  FInsertionPoints.push_back(at + attribute.size());
  FState = TWriterState::Attribute;
}

String XmlTextWriter::Escape(const String& value) {
  String result;
  result.reserve(value.size());
  for (char16_t c : value) {
    switch (c) {
      case u'&': result += u"&#x26;"; break;
      case u'\'': result += u"&#x27;"; break;
      case u'"': result += u"&#x22;"; break;
      case u'<': result += u"&#x3c;"; break;
      case u'>': result += u"&#x3e;"; break;
      default: result += c; break;
    }
  }
  return result;
}
