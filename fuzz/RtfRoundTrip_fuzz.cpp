// Arbitrary bytes read as RTF, written back and read again: the reader never raises, and what the
// writer makes of a document reads back as the same text, character formats and paragraph
// formats, and writes again to the same bytes. Any difference, crash or hang is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/rtl/UnicodeText.h"
#include "platform/ui/RichEdit.h"

namespace {

// Says what differs before the finding is recorded.
[[noreturn]] void Fail(const char* what, const TRichDocument& a, const TRichDocument& b,
                       const AnsiString& written) {
  std::fprintf(stderr, "round trip: %s\nfirst text:  %s\nsecond text: %s\nwritten: %s\n", what,
               UTF8Encode(a.Text()).c_str(), UTF8Encode(b.Text()).c_str(), written.c_str());
  std::abort();
}

// Empty when the documents are the same, else what differs.
const char* Difference(const TRichDocument& a, const TRichDocument& b) {
  if (a.Text() != b.Text()) return "text";
  if (a.ParagraphCount() != b.ParagraphCount()) return "paragraph count";
  for (int i = 0; i < a.Length(); ++i)
    if (!(a.CharFormat(i) == b.CharFormat(i))) return "character format";
  for (int p = 0; p < a.ParagraphCount(); ++p)
    if (!(a.ParaFormat(p) == b.ParaFormat(p))) return "paragraph format";
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const AnsiString input(reinterpret_cast<const char*>(data), size);
  const TRichCharFormat defaults;
  const TRichDocument first = ReadRtf(input, defaults);
  const AnsiString written = WriteRtf(first);
  const TRichDocument second = ReadRtf(written, defaults);
  if (const char* what = Difference(first, second); *what) Fail(what, first, second, written);
  if (WriteRtf(second) != written) Fail("second writing", first, second, written);
  return 0;
}
