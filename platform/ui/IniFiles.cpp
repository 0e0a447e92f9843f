// TCustomIniFile's typed values, and the two INI file classes over TIniText.
#include "platform/ui/IniFiles.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/IniFiles_File.h"
#include "platform/ui/IniFiles_Text.h"

namespace {

// What loading an INI file found.
struct TLoadResult {
  settingsfile::TReadResult Read = settingsfile::TReadResult::Missing;
  int Error = 0;
  bool HadBom = false;
  bool Undecodable = false;
};

String DecodeUtf16(const std::string& bytes, size_t start, bool bigEndian, bool& undecodable) {
  String text;
  size_t i = start;
  for (; i + 1 < bytes.size(); i += 2) {
    auto hi = static_cast<uint8_t>(bytes[bigEndian ? i : i + 1]);
    auto lo = static_cast<uint8_t>(bytes[bigEndian ? i + 1 : i]);
    text += static_cast<char16_t>(hi << 8 | lo);
  }
  undecodable = i != bytes.size();
  return text;
}

String DecodeText(const std::string& bytes, bool& hadBom, bool& undecodable) {
  hadBom = false;
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
    hadBom = true;
    undecodable = !IsValidUTF8(std::string_view(bytes).substr(3));
    return UTF8ToString(std::string_view(bytes).substr(3));
  }
  if (bytes.rfind("\xFF\xFE", 0) == 0) return DecodeUtf16(bytes, 2, false, undecodable);
  if (bytes.rfind("\xFE\xFF", 0) == 0) return DecodeUtf16(bytes, 2, true, undecodable);
  undecodable = !IsValidUTF8(bytes);
  return UTF8ToString(bytes);
}

// Replaces the text with the file's; a missing or unreadable file leaves it empty.
TLoadResult LoadIni(const std::string& path, TIniText& text) {
  TLoadResult result;
  std::string bytes;
  text.Clear();
  result.Read = settingsfile::ReadWholeFile(path, bytes, result.Error);
  if (result.Read == settingsfile::TReadResult::Read)
    text.Parse(DecodeText(bytes, result.HadBom, result.Undecodable));
  return result;
}

String WriteError(const String& fileName) { return Format(u"Unable to write to %s", {fileName}); }

String NotUtf8Error(const String& fileName) {
  return Format(u"%s is not UTF-8 text; it is not rewritten, so that nothing in it is lost",
                {fileName});
}

void SaveIni(const std::string& path, const String& fileName, const TIniText& text, bool bom) {
  std::string bytes = bom ? "\xEF\xBB\xBF" : "";
  bytes += UTF8Encode(text.Text());
  int error = 0;
  if (!settingsfile::ReplaceFile(path, bytes, 0666, error))
    throw EIniFileException(WriteError(fileName));
}

void CheckEntry(const String& section, const String& ident, const String& value) {
  for (const String& problem : {TIniText::SectionProblem(section), TIniText::NameProblem(ident),
                                TIniText::ValueProblem(value)}) {
    if (!problem.empty()) throw EIniFileException(problem);
  }
}

void FillStrings(TStrings* strings, const std::vector<String>& items) {
  strings->BeginUpdate();
  try {
    strings->Clear();
    for (const String& item : items) strings->Add(item);
  } catch (...) {
    strings->EndUpdate();
    throw;
  }
  strings->EndUpdate();
}

// The section's "name=value" lines, all from one reading of the file.
std::vector<String> SectionValueLines(const TIniText& text, const String& section) {
  std::vector<String> lines;
  for (const String& name : text.EntryNames(section)) {
    String value;
    text.ReadValue(section, name, value);
    lines.push_back(name + u"=" + value);
  }
  return lines;
}

}  // namespace

// ---- TCustomIniFile ----

bool TCustomIniFile::SectionExists(const String& section) {
  TStringList names;
  ReadSection(section, &names);
  return names.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident) {
  TStringList names;
  ReadSection(section, &names);
  return names.IndexOf(ident) >= 0;
}

int32_t TCustomIniFile::ReadInteger(const String& section, const String& ident, int32_t def) {
  return StrToIntDef(ReadString(section, ident, u""), def);
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, int32_t value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

double TCustomIniFile::ReadFloat(const String& section, const String& ident, double def) {
  String text = ReadString(section, ident, u"");
  double value;
  return !text.empty() && TryStrToFloat(text, value) ? value : def;
}

TDateTime TCustomIniFile::ReadDate(const String& section, const String& ident, TDateTime def) {
  String text = ReadString(section, ident, u"");
  TDateTime value;
  return !text.empty() && TryStrToDate(text, value) ? value : def;
}

TDateTime TCustomIniFile::ReadDateTime(const String& section, const String& ident, TDateTime def) {
  String text = ReadString(section, ident, u"");
  TDateTime value;
  return !text.empty() && TryStrToDateTime(text, value) ? value : def;
}

TDateTime TCustomIniFile::ReadTime(const String& section, const String& ident, TDateTime def) {
  String text = ReadString(section, ident, u"");
  TDateTime value;
  return !text.empty() && TryStrToTime(text, value) ? value : def;
}

void TCustomIniFile::WriteFloat(const String& section, const String& ident, double value) {
  WriteString(section, ident, FloatToStr(value));
}

void TCustomIniFile::WriteDate(const String& section, const String& ident, TDateTime value) {
  WriteString(section, ident, DateToStr(value));
}

void TCustomIniFile::WriteDateTime(const String& section, const String& ident, TDateTime value) {
  WriteString(section, ident, DateTimeToStr(value));
}

void TCustomIniFile::WriteTime(const String& section, const String& ident, TDateTime value) {
  WriteString(section, ident, TimeToStr(value));
}

TBytes TCustomIniFile::RestOfStream(TStream* stream) {
  int64_t count = stream->Size() - stream->Position();
  TBytes bytes(count > 0 ? static_cast<size_t>(count) : 0);
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

int32_t TCustomIniFile::PutBytes(TStream* stream, const TBytes& bytes) {
  if (bytes.empty()) return 0;
  int64_t start = stream->Position();
  stream->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream->SetPosition(start);
  return static_cast<int32_t>(bytes.size());
}

int32_t TCustomIniFile::ReadBinaryStream(const String& section, const String& ident,
                                         TStream* value) {
  return PutBytes(value, TIniText::HexBytes(ReadString(section, ident, u"")));
}

void TCustomIniFile::WriteBinaryStream(const String& section, const String& ident, TStream* value) {
  WriteString(section, ident, TIniText::HexText(RestOfStream(value)));
}

void TCustomIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  TStringList names;
  ReadSection(section, &names);
  std::vector<String> lines;
  for (int i = 0; i < names.Count(); ++i)
    lines.push_back(names.Strings(i) + u"=" + ReadString(section, names.Strings(i), u""));
  FillStrings(strings, lines);
}

// ---- TIniFile ----

TIniFile::TIniFile(const String& fileName)
    : TCustomIniFile(fileName),
      FPath(settingsfile::AbsolutePath(UTF8Encode(fileName))),
      FText(std::make_unique<TIniText>()) {}

TIniFile::~TIniFile() = default;

TIniText& TIniFile::Current() {
  LoadIni(FPath, *FText);
  return *FText;
}

void TIniFile::Change(const std::function<bool(TIniText& text)>& change) {
  TLoadResult loaded = LoadIni(FPath, *FText);
  if (loaded.Read == settingsfile::TReadResult::Failed)
    throw EIniFileException(WriteError(FileName()));
  if (loaded.Undecodable) throw EIniFileException(NotUtf8Error(FileName()));
  if (change(*FText)) SaveIni(FPath, FileName(), *FText, loaded.HadBom);
}

bool TIniFile::SectionExists(const String& section) { return Current().SectionExists(section); }

bool TIniFile::ValueExists(const String& section, const String& ident) {
  String value;
  return Current().ReadValue(section, ident, value);
}

String TIniFile::ReadString(const String& section, const String& ident, const String& def) {
  String value;
  return Current().ReadValue(section, ident, value) ? value : def;
}

void TIniFile::WriteString(const String& section, const String& ident, const String& value) {
  CheckEntry(section, ident, value);
  Change([&](TIniText& text) {
    String old;
    if (text.ReadValue(section, ident, old) && old == value) return false;
    text.WriteValue(section, ident, value);
    return true;
  });
}

void TIniFile::ReadSection(const String& section, TStrings* strings) {
  FillStrings(strings, Current().EntryNames(section));
}

void TIniFile::ReadSections(TStrings* strings) { FillStrings(strings, Current().SectionNames()); }

void TIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  FillStrings(strings, SectionValueLines(Current(), section));
}

void TIniFile::EraseSection(const String& section) {
  Change([&](TIniText& text) {
    if (!text.SectionExists(section)) return false;
    text.EraseSection(section);
    return true;
  });
}

void TIniFile::DeleteKey(const String& section, const String& ident) {
  Change([&](TIniText& text) { return text.DeleteValue(section, ident); });
}

// ---- TMemIniFile ----

TMemIniFile::TMemIniFile(const String& fileName)
    : TCustomIniFile(fileName),
      FPath(settingsfile::AbsolutePath(UTF8Encode(fileName))),
      FText(std::make_unique<TIniText>()) {
  LoadValues();
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::LoadValues() {
  FText->Clear();
  FHadBom = false;
  FUndecodable = false;
  if (FPath.empty()) return;
  TLoadResult loaded = LoadIni(FPath, *FText);
  if (loaded.Read == settingsfile::TReadResult::Failed) {
    throw EFOpenError(Format(u"Cannot open file \"%s\". %s",
                             {FileName(), settingsfile::SystemErrorText(loaded.Error)}));
  }
  FHadBom = loaded.HadBom;
  FUndecodable = loaded.Undecodable;
}

bool TMemIniFile::SectionExists(const String& section) { return FText->SectionExists(section); }

bool TMemIniFile::ValueExists(const String& section, const String& ident) {
  String value;
  return FText->ReadValue(section, ident, value);
}

String TMemIniFile::ReadString(const String& section, const String& ident, const String& def) {
  String value;
  return FText->ReadValue(section, ident, value) ? value : def;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value) {
  CheckEntry(section, ident, value);
  FText->WriteValue(section, ident, value);
}

void TMemIniFile::ReadSection(const String& section, TStrings* strings) {
  FillStrings(strings, FText->EntryNames(section));
}

void TMemIniFile::ReadSections(TStrings* strings) { FillStrings(strings, FText->SectionNames()); }

void TMemIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  FillStrings(strings, SectionValueLines(*FText, section));
}

void TMemIniFile::EraseSection(const String& section) { FText->EraseSection(section); }

void TMemIniFile::DeleteKey(const String& section, const String& ident) {
  FText->DeleteValue(section, ident);
}

void TMemIniFile::UpdateFile() {
  if (FUndecodable) throw EIniFileException(NotUtf8Error(FileName()));
  SaveIni(FPath, FileName(), *FText, FHadBom);
}

void TMemIniFile::Clear() {
  FText->Clear();
  FUndecodable = false;
}

void TMemIniFile::GetStrings(TStrings* list) { FillStrings(list, FText->Lines()); }

void TMemIniFile::SetStrings(TStrings* list) {
  FText->Parse(list->Text());
  FUndecodable = false;
}

void TMemIniFile::Rename(const String& fileName, bool reload) {
  SetFileName(fileName);
  FPath = settingsfile::AbsolutePath(UTF8Encode(fileName));
  if (reload) LoadValues();
}

bool TMemIniFile::CaseSensitive() const { return FText->CaseSensitive(); }

void TMemIniFile::SetCaseSensitive(bool value) { FText->SetCaseSensitive(value); }
