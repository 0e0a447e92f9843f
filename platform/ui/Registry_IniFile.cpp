// The registry used like an INI file: TRegIniFile (a TRegistry whose sections are subkeys) and
// TRegistryIniFile (a TCustomIniFile over a TRegIniFile).
#include "platform/rtl/Format.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Registry.h"

// ---- TRegIniFile ----

TRegIniFile::TRegIniFile(const String& fileName) : TRegIniFile(fileName, KEY_ALL_ACCESS) {}

TRegIniFile::TRegIniFile(const String& fileName, uint32_t access)
    : TRegistry(access), FFileName(fileName) {
  OpenKey(fileName, true);
}

bool TRegIniFile::SectionPath(const String& section, std::vector<String>& path) const {
  String display;
  if (CurrentKey()) return ResolveKey(section, path, display);
  // The key could not be opened when the object was made: the sections still belong below it.
  String key = section.empty() ? FFileName : FFileName + u"\\" + section;
  return ResolveKey(key, path, display);
}

template <class TAction>
bool TRegIniFile::InSection(const String& section, TAction action) {
  std::vector<String> path;
  if (!SectionPath(section, path) || !KeyPathExists(path)) return false;
  TSavedKey saved = SwitchKey(path);
  try {
    action();
  } catch (...) {
    RestoreKey(std::move(saved));
    throw;
  }
  RestoreKey(std::move(saved));
  return true;
}

template <class TAction>
void TRegIniFile::InNewSection(const String& section, TAction action) {
  std::vector<String> path;
  if (!SectionPath(section, path) || !CreateKeyPath(path))
    throw ERegistryException(Format(u"Failed to create key %s", {section}));
  TSavedKey saved = SwitchKey(path);
  try {
    action();
  } catch (...) {
    RestoreKey(std::move(saved));
    throw;
  }
  RestoreKey(std::move(saved));
}

String TRegIniFile::ReadString(const String& section, const String& ident, const String& def) {
  String result = def;
  InSection(section, [&] {
    if (ValueExists(ident)) result = ReadValueAsText(ident);
  });
  return result;
}

int32_t TRegIniFile::ReadInteger(const String& section, const String& ident, int32_t def) {
  int32_t result = def;
  InSection(section, [&] {
    if (!ValueExists(ident)) return;
    result = GetDataType(ident) == rdInteger ? TRegistry::ReadInteger(ident)
                                             : StrToIntDef(ReadValueAsText(ident), def);
  });
  return result;
}

bool TRegIniFile::ReadBool(const String& section, const String& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const String& section, const String& ident, const String& value) {
  InNewSection(section, [&] { TRegistry::WriteString(ident, value); });
}

void TRegIniFile::WriteInteger(const String& section, const String& ident, int32_t value) {
  WriteString(section, ident, IntToStr(value));
}

void TRegIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

void TRegIniFile::ReadSection(const String& section, TStrings* strings) {
  strings->Clear();
  InSection(section, [&] { GetValueNames(strings); });
}

void TRegIniFile::ReadSections(TStrings* strings) {
  strings->Clear();
  InSection(u"", [&] { GetKeyNames(strings); });
}

void TRegIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  TStringList names;
  ReadSection(section, &names);
  strings->BeginUpdate();
  try {
    strings->Clear();
    InSection(section, [&] {
      for (int i = 0; i < names.Count(); ++i)
        strings->Add(names.Strings(i) + u"=" + ReadValueAsText(names.Strings(i)));
    });
  } catch (...) {
    strings->EndUpdate();
    throw;
  }
  strings->EndUpdate();
}

void TRegIniFile::EraseSection(const String& section) {
  InSection(u"", [&] {
    if (!section.empty()) {
      TRegistry::DeleteKey(section);
      return;
    }
    // The nameless section is the key's own values; the other sections stay.
    TStringList names;
    GetValueNames(&names);
    for (int i = 0; i < names.Count(); ++i) DeleteValue(names.Strings(i));
  });
}

void TRegIniFile::DeleteKey(const String& section, const String& ident) {
  InSection(section, [&] { DeleteValue(ident); });
}

// ---- TRegistryIniFile ----

TRegistryIniFile::TRegistryIniFile(const String& fileName)
    : TRegistryIniFile(fileName, KEY_ALL_ACCESS) {}

TRegistryIniFile::TRegistryIniFile(const String& fileName, uint32_t access)
    : TCustomIniFile(fileName), FRegIniFile(std::make_unique<TRegIniFile>(fileName, access)) {}

TRegistryIniFile::~TRegistryIniFile() = default;

bool TRegistryIniFile::ValueInfo(const String& section, const String& ident, TRegDataInfo& info) {
  bool found = false;
  FRegIniFile->InSection(section, [&] { found = FRegIniFile->GetDataInfo(ident, info); });
  return found;
}

bool TRegistryIniFile::SectionExists(const String& section) {
  return FRegIniFile->InSection(section, [] {});
}

bool TRegistryIniFile::ValueExists(const String& section, const String& ident) {
  TRegDataInfo info;
  return ValueInfo(section, ident, info);
}

String TRegistryIniFile::ReadString(const String& section, const String& ident, const String& def) {
  return FRegIniFile->ReadString(section, ident, def);
}

void TRegistryIniFile::WriteString(const String& section, const String& ident,
                                   const String& value) {
  FRegIniFile->WriteString(section, ident, value);
}

int32_t TRegistryIniFile::ReadInteger(const String& section, const String& ident, int32_t def) {
  return FRegIniFile->ReadInteger(section, ident, def);
}

void TRegistryIniFile::WriteInteger(const String& section, const String& ident, int32_t value) {
  FRegIniFile->InNewSection(section, [&] { FRegIniFile->TRegistry::WriteInteger(ident, value); });
}

template <class T, class FromText>
T TRegistryIniFile::ReadTyped(const String& section, const String& ident, T def,
                              FromText fromText, T (TRegistry::*fromRegistry)(const String&)) {
  TRegDataInfo info;
  if (!ValueInfo(section, ident, info)) return def;
  if (info.RegData == rdString || info.RegData == rdExpandString) return fromText();
  T result = def;
  FRegIniFile->InSection(section, [&] { result = ((*FRegIniFile).*fromRegistry)(ident); });
  return result;
}

double TRegistryIniFile::ReadFloat(const String& section, const String& ident, double def) {
  // The base class's text reading, called non-virtually.
  auto fromText = [&] { return TCustomIniFile::ReadFloat(section, ident, def); };
  return ReadTyped<double>(section, ident, def, fromText, &TRegistry::ReadFloat);
}

TDateTime TRegistryIniFile::ReadDate(const String& section, const String& ident, TDateTime def) {
  // The base class's text reading, called non-virtually.
  auto fromText = [&] { return TCustomIniFile::ReadDate(section, ident, def); };
  return ReadTyped<TDateTime>(section, ident, def, fromText, &TRegistry::ReadDate);
}

TDateTime TRegistryIniFile::ReadDateTime(const String& section, const String& ident, TDateTime def) {
  // The base class's text reading, called non-virtually.
  auto fromText = [&] { return TCustomIniFile::ReadDateTime(section, ident, def); };
  return ReadTyped<TDateTime>(section, ident, def, fromText, &TRegistry::ReadDateTime);
}

TDateTime TRegistryIniFile::ReadTime(const String& section, const String& ident, TDateTime def) {
  // The base class's text reading, called non-virtually.
  auto fromText = [&] { return TCustomIniFile::ReadTime(section, ident, def); };
  return ReadTyped<TDateTime>(section, ident, def, fromText, &TRegistry::ReadTime);
}

void TRegistryIniFile::WriteFloat(const String& section, const String& ident, double value) {
  FRegIniFile->InNewSection(section, [&] { FRegIniFile->WriteFloat(ident, value); });
}

void TRegistryIniFile::WriteDate(const String& section, const String& ident, TDateTime value) {
  FRegIniFile->InNewSection(section, [&] { FRegIniFile->WriteDate(ident, value); });
}

void TRegistryIniFile::WriteDateTime(const String& section, const String& ident, TDateTime value) {
  FRegIniFile->InNewSection(section, [&] { FRegIniFile->WriteDateTime(ident, value); });
}

void TRegistryIniFile::WriteTime(const String& section, const String& ident, TDateTime value) {
  FRegIniFile->InNewSection(section, [&] { FRegIniFile->WriteTime(ident, value); });
}

int32_t TRegistryIniFile::ReadBinaryStream(const String& section, const String& ident,
                                           TStream* value) {
  TRegDataInfo info;
  if (!ValueInfo(section, ident, info)) return 0;
  if (info.RegData == rdString || info.RegData == rdExpandString)
    return TCustomIniFile::ReadBinaryStream(section, ident, value);
  TBytes bytes(static_cast<size_t>(info.DataSize));
  int32_t count = 0;
  FRegIniFile->InSection(section, [&] {
    count = FRegIniFile->ReadBinaryData(ident, bytes.data(), static_cast<int32_t>(bytes.size()));
  });
  bytes.resize(count > 0 ? static_cast<size_t>(count) : 0);
  return PutBytes(value, bytes);
}

void TRegistryIniFile::WriteBinaryStream(const String& section, const String& ident,
                                         TStream* value) {
  TBytes bytes = RestOfStream(value);
  FRegIniFile->InNewSection(section, [&] {
    FRegIniFile->WriteBinaryData(ident, bytes.data(), static_cast<int32_t>(bytes.size()));
  });
}

void TRegistryIniFile::ReadSection(const String& section, TStrings* strings) {
  FRegIniFile->ReadSection(section, strings);
}

void TRegistryIniFile::ReadSections(TStrings* strings) { FRegIniFile->ReadSections(strings); }

void TRegistryIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  FRegIniFile->ReadSectionValues(section, strings);
}

void TRegistryIniFile::EraseSection(const String& section) { FRegIniFile->EraseSection(section); }

void TRegistryIniFile::DeleteKey(const String& section, const String& ident) {
  FRegIniFile->DeleteKey(section, ident);
}
