// Arbitrary text as an INI file and as the registry's store file. INI text never fails to parse
// and its text form parses back to the same sections and values; a store either parses or names
// its fault, and a parsed store formats to text that parses again to the same text. Anything else
// is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/rtl/UnicodeText.h"
#include "platform/ui/IniFiles_Text.h"
#include "platform/ui/Registry_Store.h"

namespace {

void IniRoundTrip(const String& text) {
  TIniText ini;
  ini.Parse(text);
  TIniText again;
  again.Parse(ini.Text());
  if (again.SectionNames() != ini.SectionNames()) std::abort();
  for (const String& section : ini.SectionNames()) {
    if (again.EntryNames(section) != ini.EntryNames(section)) std::abort();
    for (const String& name : ini.EntryNames(section)) {
      String a, b;
      if (ini.ReadValue(section, name, a) != again.ReadValue(section, name, b) || a != b)
        std::abort();
    }
  }
}

void StoreRoundTrip(std::string_view text) {
  TRegTree tree;
  String problem;
  if (!ParseRegistryStore(text, tree, problem)) {
    if (problem.empty()) std::abort();  // a refusal names its fault
    return;
  }
  const std::string formatted = FormatRegistryStore(tree);
  TRegTree again;
  if (!ParseRegistryStore(formatted, again, problem)) std::abort();
  if (FormatRegistryStore(again) != formatted) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  IniRoundTrip(UTF8ToString(bytes));
  StoreRoundTrip(bytes);
  return 0;
}
