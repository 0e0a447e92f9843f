#include "platform/rtl/Object.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// "ns::TFoo<ns::TBar>" becomes "TFoo<ns::TBar>": only the class's own namespaces go.
std::string StripNamespaces(const std::string& name) {
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c == '<') ++depth;
    if (c == '>') --depth;
    if (depth == 0 && c == ':' && i + 1 < name.size() && name[i + 1] == ':') start = i + 2;
  }
  return name.substr(start);
}

}  // namespace

String TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : mangled;
  return UTF8ToString(StripNamespaces(name));
}

bool TObject::ClassNameIs(const String& name) const { return SameText(ClassName(), name); }

void RaiseInvalidCast() { throw EInvalidCast(u"Invalid class typecast"); }
