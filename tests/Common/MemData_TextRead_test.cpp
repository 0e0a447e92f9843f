// Reading texts held by reference: the terminator found a block at a time, from any alignment,
// within the field's length, and the copy handed out exactly as the unit-by-unit read hands it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "MemData_TestStore.h"

using namespace memdata_test;

namespace {

// A text of length units at offset units into a 16-byte aligned buffer, with non-zero units
// before it and after its terminator, so that a scan that starts or stops in the wrong place
// sees them.
template <typename Unit>
struct PlacedText {
  alignas(16) Unit units[128];
  const Unit* text;

  PlacedText(int offset, int length) {
    for (Unit& u : units) u = static_cast<Unit>('#');
    for (int i = 0; i < length; ++i) units[offset + i] = static_cast<Unit>('a' + i % 26);
    units[offset + length] = 0;
    text = units + offset;
  }
};

template <typename Unit>
void CheckEveryPlacement() {
  const int step = static_cast<int>(sizeof(Unit));  // units never start at an odd address
  for (int offset = 0; offset < 16 / step * 2; ++offset) {
    for (int length = 0; length <= 40; ++length) {
      const PlacedText<Unit> placed(offset, length);
      for (int limit : {0, 1, length - 1, length, length + 1, 100}) {
        if (limit < 0) continue;
        EXPECT_EQ(memdata::TextUnits(placed.text, limit), std::min(length, limit))
            << "unit " << sizeof(Unit) << " offset " << offset << " length " << length
            << " limit " << limit;
      }
    }
  }
}

TEST(TextUnits, TerminatorFoundFromEveryAlignmentWithinTheLimit) {
  CheckEveryPlacement<char>();
  CheckEveryPlacement<char16_t>();
  EXPECT_EQ(memdata::TextUnits<char16_t>(nullptr, 10), 0);
}

// The texts of the table, around the 16-byte blocks the scan reads, some longer than the field.
std::vector<std::u16string> TableTexts() {
  std::vector<std::u16string> texts;
  for (int length : {0, 1, 7, 8, 9, 15, 16, 17, 23, 24, 25, 40}) {
    std::u16string text;
    for (int i = 0; i < length; ++i) text += static_cast<char16_t>(u'Ж' + i % 20);
    texts.push_back(text);
  }
  return texts;
}

// The unit-by-unit read (taken when line ends are converted, which a text without line feeds
// leaves alone) is the reference: the block-wise read must hand out the same units, terminated,
// and write nothing past the terminator.
TEST(TextRead, HeldByReferenceReadsAsUnitByUnit) {
  constexpr uint16_t FieldLength = 20;
  TestStore store({{u"W", dtExtWideString, FieldLength}, {u"A", dtExtString, FieldLength}});
  store.InitFields();
  RecBuf buf(store);
  for (const std::u16string& wide : TableTexts()) {
    const std::string ansi(wide.size(), 'q');
    PutWide(store, 1, buf, wide.c_str());
    store.PutField(2, buf, false, ansi.c_str());
    const size_t expected = std::min<size_t>(wide.size(), FieldLength);

    char16_t wideOut[64];
    char ansiOut[64];
    std::fill(std::begin(wideOut), std::end(wideOut), u'#');
    std::fill(std::begin(ansiOut), std::end(ansiOut), '#');
    bool blank = true;
    store.ConvertEOL = false;
    store.GetField(1, buf, wideOut, blank);
    EXPECT_FALSE(blank);
    store.GetField(2, buf, ansiOut, blank);
    EXPECT_EQ(std::u16string(wideOut), wide.substr(0, expected)) << wide.size();
    EXPECT_EQ(std::string(ansiOut), ansi.substr(0, expected)) << wide.size();
    EXPECT_EQ(wideOut[expected + 1], u'#') << "written past the terminator, " << wide.size();
    EXPECT_EQ(ansiOut[expected + 1], '#') << "written past the terminator, " << wide.size();

    store.ConvertEOL = true;
    EXPECT_EQ(ReadWide(store, 1, buf), std::u16string(wideOut)) << wide.size();
    EXPECT_EQ(ReadText(store, 2, buf), std::string(ansiOut)) << wide.size();
  }
}

}  // namespace
