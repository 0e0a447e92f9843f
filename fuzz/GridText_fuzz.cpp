// Cell texts as users and files give them: the filter matcher, the number routines, the locale
// date parser and the cell-text codecs, with the round trips that must hold checked.
//
// Input: one byte choosing the locale, then UTF-16 units (little-endian pairs); a unit 0xFFFF
// splits a filter condition from the cell text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "controls/grid/AdvUtil.h"
#include "platform/rtl/Exceptions.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

using namespace AdvUtil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const TFormatSettings english = TFormatSettings::Invariant();
  static const TFormatSettings macedonian = MacedonianSettings();
  FormatSettings() = (data[0] & 1) ? macedonian : english;
  String all;
  for (size_t i = 1; i + 1 < size; i += 2)
    all += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  const size_t split = all.find(u'\xFFFF');
  const String condition = all.substr(0, split);
  const String text = split == String::npos ? all : all.substr(split + 1);

  MatchFilterExpression(condition, text, (data[0] & 2) != 0);
  NormalizeNumericText(text);
  ClassifyNumericText(text);
  NormalizeDecimalText(text);
  DetectTextFormat(text, true);
  TDateTime value;
  ParseLocaleDateTime(text, value);
  try {
    ParseDateDMY(text);
    ParseDateMDY(text);
  } catch (const EConvertError&) {
  }
  ToMixedCase(text);

  if (CellTextToWide(WideToCellText(text)) != text) std::abort();
  const String wide = CellTextToWide(text);
  if (text.compare(0, 2, u"|\\") != 0 && wide != text) std::abort();
  // The line coding round-trips a text with both breaks and none of the code bytes 1, 8, 9.
  const bool codable = text.find(u'\r') != String::npos && text.find(u'\n') != String::npos &&
                       text.find_first_of(String(u"\x01\x08\t")) == String::npos;
  if (codable && DecodeCellLineBreaks(EncodeCellLineBreaks(text), true) != text) std::abort();
  String rest = text;
  SplitFirstLine(rest, true);
  RestoreLineBreaks(QuoteMultiLineField(text));
  return 0;
}
