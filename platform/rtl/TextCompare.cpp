#include "platform/rtl/TextCompare.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/ustring.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + 32 : c; }
char16_t UpAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? c - 32 : c; }

// The collation locale and a generation number; each thread keeps its own collators (ICU
// collators are not safe to share between threads) and rebuilds them when the locale changes.
std::mutex gLocaleLock;
std::string gLocaleName;
bool gLocaleSet = false;
std::atomic<unsigned> gLocaleGeneration{1};

std::string CurrentLocaleName() {
  std::lock_guard<std::mutex> lock(gLocaleLock);
  if (!gLocaleSet) {
    std::string name = icu::Locale::getDefault().getName();
    // The POSIX locale collates by code point; the user's intent there is the root collation.
    if (name.empty() || name == "en_US_POSIX" || name == "c" || name == "C") name = "";
    gLocaleName = name;
    gLocaleSet = true;
  }
  return gLocaleName;
}

struct Collators {
  unsigned generation = 0;
  std::unique_ptr<icu::Collator> exact;     // case-sensitive
  std::unique_ptr<icu::Collator> caseless;  // ignores case only
};

icu::Collator* MakeCollator(const std::string& name, bool ignoreCase) {
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale locale = name.empty() ? icu::Locale::getRoot() : icu::Locale(name.c_str());
  icu::Collator* c = icu::Collator::createInstance(locale, status);
  if (U_FAILURE(status) || c == nullptr) {
    delete c;
    status = U_ZERO_ERROR;
    c = icu::Collator::createInstance(icu::Locale::getRoot(), status);
  }
  if (c == nullptr) throw EOutOfResources(u"The text collation could not be created");
  status = U_ZERO_ERROR;
  // Punctuation and spaces take part in the order, as in a string sort.
  c->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
  if (ignoreCase) {
    // Secondary strength ignores case but still tells accented letters apart.
    c->setStrength(icu::Collator::SECONDARY);
  } else {
    c->setStrength(icu::Collator::TERTIARY);
  }
  return c;
}

Collators& ThreadCollators() {
  thread_local Collators collators;
  unsigned generation = gLocaleGeneration.load();
  if (collators.generation != generation) {
    std::string name = CurrentLocaleName();
    collators.exact.reset(MakeCollator(name, false));
    collators.caseless.reset(MakeCollator(name, true));
    collators.generation = generation;
  }
  return collators;
}

int Collate(icu::Collator& c, std::u16string_view a, std::u16string_view b) {
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult r =
      c.compare(reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()), status);
  return static_cast<int>(r);
}

// The caseless collator of a named locale, kept per thread for the last locale asked for.
icu::Collator& CaselessCollatorOf(const std::string& name) {
  thread_local std::string last;
  thread_local std::unique_ptr<icu::Collator> collator;
  if (!collator || last != name) {
    collator.reset(MakeCollator(name, true));
    last = name;
  }
  return *collator;
}

enum class CaseMap { Upper, Lower };

String MapCase(std::u16string_view s, CaseMap how) {
  if (s.empty()) return String();
  String out(s.size(), u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    const UChar* src = reinterpret_cast<const UChar*>(s.data());
    UChar* dst = reinterpret_cast<UChar*>(out.data());
    int32_t capacity = static_cast<int32_t>(out.size());
    int32_t len = how == CaseMap::Upper
                      ? u_strToUpper(dst, capacity, src, static_cast<int32_t>(s.size()), "", &status)
                      : u_strToLower(dst, capacity, src, static_cast<int32_t>(s.size()), "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      out.assign(static_cast<size_t>(len), u'\0');  // "ß" upper-cases to "SS": make room
      continue;
    }
    if (U_FAILURE(status)) return String(s);
    out.resize(static_cast<size_t>(len));
    return out;
  }
  return String(s);
}

}  // namespace

int CompareStr(std::u16string_view a, std::u16string_view b) { return Sign(a.compare(b)); }

int CompareText(std::u16string_view a, std::u16string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t x = FoldAscii(a[i]), y = FoldAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameStr(std::u16string_view a, std::u16string_view b) { return a == b; }
bool SameText(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

String UpperCase(std::u16string_view s) {
  String out(s);
  for (auto& c : out) c = UpAscii(c);
  return out;
}

String LowerCase(std::u16string_view s) {
  String out(s);
  for (auto& c : out) c = FoldAscii(c);
  return out;
}

int AnsiCompareStr(std::u16string_view a, std::u16string_view b) {
  return Collate(*ThreadCollators().exact, a, b);
}

int AnsiCompareText(std::u16string_view a, std::u16string_view b) {
  return Collate(*ThreadCollators().caseless, a, b);
}

bool AnsiSameStr(std::u16string_view a, std::u16string_view b) { return AnsiCompareStr(a, b) == 0; }
bool AnsiSameText(std::u16string_view a, std::u16string_view b) {
  return AnsiCompareText(a, b) == 0;
}

String AnsiUpperCase(std::u16string_view s) { return MapCase(s, CaseMap::Upper); }
String AnsiLowerCase(std::u16string_view s) { return MapCase(s, CaseMap::Lower); }

int AnsiCompareStrA(std::string_view a, std::string_view b) {
  return AnsiCompareStr(UTF8ToString(a), UTF8ToString(b));
}
int AnsiCompareTextA(std::string_view a, std::string_view b) {
  return AnsiCompareText(UTF8ToString(a), UTF8ToString(b));
}
AnsiString AnsiUpperCaseA(std::string_view s) { return UTF8Encode(AnsiUpperCase(UTF8ToString(s))); }
AnsiString AnsiLowerCaseA(std::string_view s) { return UTF8Encode(AnsiLowerCase(UTF8ToString(s))); }

int AnsiCompareTextIn(std::u16string_view a, std::u16string_view b, const std::string& locale) {
  return Collate(CaselessCollatorOf(locale), a, b);
}

void SetCollationLocale(const char* name) {
  {
    std::lock_guard<std::mutex> lock(gLocaleLock);
    gLocaleName = name ? name : "";
    gLocaleSet = true;
  }
  gLocaleGeneration.fetch_add(1);
}

bool IsAccel(char16_t ch, const String& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] == u'&') {
      ++i;
      continue;
    }
    return AnsiUpperCase(String(1, caption[i + 1])) == AnsiUpperCase(String(1, ch));
  }
  return false;
}
