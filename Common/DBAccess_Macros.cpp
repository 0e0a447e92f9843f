#include "Common/DBAccess_Macros.h"

#include <atomic>
#include <memory>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

std::atomic<char16_t> GMacroChar{u'&'};

// One reference to a macro: where it lies in the text (0-based, end exclusive) and the name.
struct TMacroRef {
  size_t Start;
  size_t End;
  AnsiString Name;
};

bool IsNameCode(TLexemeCode code) { return code == lcIdentifier || code >= 100; }

// Every reference in the text, read with a lexer of the class so that a macro character inside a
// string or a comment is never one. A macro character that starts no reference takes the token
// after it along, as text.
std::vector<TMacroRef> FindReferences(TParserClass parserClass, const AnsiString& text) {
  std::vector<TMacroRef> refs;
  std::unique_ptr<TParser> owned = parserClass(text);
  auto* parser = dynamic_cast<TSQLParser*>(owned.get());
  RTL_ASSERT(parser != nullptr, u"Macros need a lexer of an SQL dialect");
  parser->SkipBlanks = false;
  parser->SkipComments = false;
  parser->KeepQuotes = true;
  parser->UpperKeywords = false;
  parser->NumberSeparator = '.';
  const AnsiString macro = StringToAnsi(String(1, MacroChar()));

  AnsiString token;
  for (;;) {
    TLexemeCode code = parser->GetNextToken(token);
    if (code == lcEndOfText) break;
    if (token != macro || !parser->IsMacroAllowed(code)) continue;
    size_t start = static_cast<size_t>(parser->GetCurrPos()) - token.size();
    code = parser->GetNextToken(token);
    if (code == lcEndOfText) break;
    AnsiString name;
    if (IsNameCode(code)) {
      name = token;
    } else if (code == lcNumber && parser->NumberIsMacroName()) {
      name = token;
      AnsiString more;
      TLexemeCode next = parser->GetNextToken(more);
      if (IsNameCode(next))
        name += more;
      else
        parser->Back();
    } else {
      continue;  // the token after the macro character is plain text
    }
    refs.push_back({start, static_cast<size_t>(parser->GetCurrPos()), name});
  }
  return refs;
}

bool SameMacro(const TMacro* a, const TMacro* b) {
  return a->Name() == b->Name() && a->Value() == b->Value() && a->Active() == b->Active();
}

uint8_t ReadByte(TStream& stream) {
  uint8_t b = 0;
  stream.ReadBuffer(&b, 1);
  return b;
}

AnsiString ReadText(TStream& stream, size_t length) {
  AnsiString text(length, '\0');
  if (length > 0) stream.ReadBuffer(text.data(), static_cast<int32_t>(length));
  return text;
}

}  // namespace

char16_t MacroChar() { return GMacroChar.load(); }
void SetMacroChar(char16_t value) { GMacroChar.store(value); }

// --- TMacro ---------------------------------------------------------------------------------

void TMacro::SetValue(const String& value) {
  if (value == FValue) return;
  FValue = value;
  Changed(false);
}

void TMacro::SetActive(bool value) {
  if (value == FActive) return;
  FActive = value;
  Changed(false);
}

String TMacro::DisplayName() const {
  return FName.empty() ? TCollectionItem::DisplayName() : FName;
}

void TMacro::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TMacro*>(source);
  if (other == nullptr) {
    TCollectionItem::Assign(source);
    return;
  }
  FName = other->FName;
  SetValue(other->FValue);
  SetActive(other->FActive);
}

// --- TMacros --------------------------------------------------------------------------------

TMacros::TMacros(TPersistent* owner)
    : TCollection(TCollectionItemClass::Of<TMacro>()),
      FOwner(owner),
      FParserClass(NewParser<TSQLParser>) {}

void TMacros::Scan(const String& sql) {
  if (sql.find(MacroChar()) == String::npos) {
    Clear();  // one notice, and none when there was nothing to clear
    return;
  }
  // The new list as detached items first, so that it can be compared with the current one.
  std::vector<std::unique_ptr<TMacro>> found;
  for (const TMacroRef& ref : FindReferences(FParserClass, StringToAnsi(sql))) {
    String name = AnsiToString(ref.Name);
    bool seen = false;
    for (const auto& macro : found) seen = seen || AnsiSameText(macro->Name(), name);
    if (seen) continue;
    auto macro = std::make_unique<TMacro>(nullptr);
    if (TMacro* old = FindMacro(name))
      macro->Assign(old);
    else
      macro->SetName(name);
    found.push_back(std::move(macro));
  }

  bool same = static_cast<int>(found.size()) == Count();
  for (int i = 0; same && i < Count(); ++i) same = SameMacro(found[i].get(), Items(i));
  if (same) return;

  BeginUpdate();
  try {
    Clear();
    for (const auto& macro : found) Add()->Assign(macro.get());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TMacros::Expand(String& sql) const {
  if (sql.find(MacroChar()) == String::npos) return;
  AnsiString text = StringToAnsi(sql);
  std::vector<TMacroRef> refs = FindReferences(FParserClass, text);
  if (refs.empty()) return;
  AnsiString result;
  result.reserve(text.size());
  size_t copied = 0;
  for (const TMacroRef& ref : refs) {
    result.append(text, copied, ref.Start - copied);
    if (const TMacro* macro = FindMacro(AnsiToString(ref.Name)))
      result += StringToAnsi(GetMacroValue(macro));
    copied = ref.End;
  }
  result.append(text, copied, AnsiString::npos);
  sql = AnsiToString(result);
}

TMacro* TMacros::FindMacro(const String& name) const {
  for (int i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Name(), name)) return Items(i);
  return nullptr;
}

TMacro* TMacros::MacroByName(const String& name) const {
  TMacro* macro = FindMacro(name);
  if (macro == nullptr)
    DatabaseErrorFmt(u"Macro %s not found", {name}, dynamic_cast<TComponent*>(FOwner));
  return macro;
}

bool TMacros::IsEqual(const TMacros* other) const {
  if (other == this) return true;
  if (other == nullptr || other->Count() != Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (!SameMacro(Items(i), other->Items(i))) return false;
  return true;
}

String TMacros::GetMacroValue(const TMacro* macro) const {
  return macro->Active() ? macro->Value() : String();
}

void TMacros::Update(TCollectionItem* item) {
  auto* owner = dynamic_cast<IMacroOwner*>(FOwner);
  if (owner == nullptr) return;
  // An open dataset is rebuilt for one macro only when its SQL refers to that macro.
  if (item != nullptr && !owner->MacroOwnerIsCommand() && owner->MacroOwnerActive()) {
    String reference = String(1, MacroChar()) + static_cast<TMacro*>(item)->Name();
    if (owner->MacroOwnerSQLText().find(reference) == String::npos) return;
  }
  owner->MacrosChanged();
}

void TMacros::ReadData(TStream& stream) {
  uint8_t marker = ReadByte(stream);
  bool withActive = marker == 'd';
  if (withActive) ReadByte(stream);  // spare
  for (int i = 0; i < Count(); ++i) {
    // The writer stores as many macros as it held; the SQL may refer to more by now.
    if (stream.Position() >= stream.Size()) break;
    AnsiString name = ReadText(stream, ReadByte(stream));
    uint8_t lengthBytes[2];
    stream.ReadBuffer(lengthBytes, 2);
    AnsiString value = ReadText(stream, lengthBytes[0] | (lengthBytes[1] << 8));
    bool active = withActive ? ReadByte(stream) != 0 : true;
    TMacro* macro = MacroByName(AnsiToString(name));
    macro->SetValue(AnsiToString(value));
    macro->SetActive(active);
  }
}

void TMacros::WriteData(TStream& stream) const {
  // Every length is checked before the first byte goes out, so a value that does not fit never
  // leaves a half-written property behind.
  std::vector<std::pair<AnsiString, AnsiString>> texts;
  for (int i = 0; i < Count(); ++i) {
    AnsiString name = StringToAnsi(Items(i)->Name());
    AnsiString value = StringToAnsi(Items(i)->Value());
    if (name.size() > 0xFF)
      throw EWriteError(u"Macro name " + Items(i)->Name() + u" is too long to be stored");
    if (value.size() > 0xFFFF)
      throw EWriteError(u"Value of macro " + Items(i)->Name() + u" is too long to be stored");
    texts.emplace_back(std::move(name), std::move(value));
  }
  const uint8_t head[2] = {'d', 0};
  stream.WriteBuffer(head, 2);
  for (int i = 0; i < Count(); ++i) {
    const auto& [name, value] = texts[static_cast<size_t>(i)];
    uint8_t nameLength = static_cast<uint8_t>(name.size());
    stream.WriteBuffer(&nameLength, 1);
    stream.WriteBuffer(name.data(), static_cast<int32_t>(name.size()));
    const uint8_t valueLength[2] = {static_cast<uint8_t>(value.size() & 0xFF),
                                    static_cast<uint8_t>(value.size() >> 8)};
    stream.WriteBuffer(valueLength, 2);
    stream.WriteBuffer(value.data(), static_cast<int32_t>(value.size()));
    uint8_t active = Items(i)->Active() ? 1 : 0;
    stream.WriteBuffer(&active, 1);
  }
}
