#include "platform/ui/IniFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <random>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/IniFiles_Text.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"
#include "tests/platform/ui/SettingsTestSupport.h"

namespace {

// Both file classes must keep what they are given; TMemIniFile only once UpdateFile ran.
struct TIniKind {
  const char* Name;
  std::function<std::unique_ptr<TCustomIniFile>(const String&)> Make;
};

const TIniKind kKinds[] = {
    {"TIniFile", [](const String& f) { return std::make_unique<TIniFile>(f); }},
    {"TMemIniFile", [](const String& f) { return std::make_unique<TMemIniFile>(f); }},
};

std::vector<String> Items(TStrings& list) {
  std::vector<String> items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.Strings(i));
  return items;
}

class IniFiles : public ::testing::Test {
 protected:
  TTempFolder FTemp;
  String FFile = FTemp.FileName("settings.ini");
};

TEST_F(IniFiles, CyrillicSectionsKeysAndValuesRoundTripThroughTheFile) {
  for (const TIniKind& kind : kKinds) {
    SCOPED_TRACE(kind.Name);
    ::unlink(UTF8Encode(FFile).c_str());
    {
      auto ini = kind.Make(FFile);
      ini->WriteString(u"Членови", u"Име", u"Зоран Јовановски");
      ini->WriteString(u"Членови", u"Град", u"Скопје");
      ini->WriteInteger(u"Уплати", u"Вкупно", -1250);
      ini->WriteBool(u"Уплати", u"Платено", true);
      ini->UpdateFile();
    }
    for (const TIniKind& reader : kKinds) {
      auto ini = reader.Make(FFile);
      EXPECT_EQ(ini->ReadString(u"Членови", u"Име", u""), u"Зоран Јовановски") << reader.Name;
      EXPECT_EQ(ini->ReadString(u"Членови", u"Град", u""), u"Скопје") << reader.Name;
      EXPECT_EQ(ini->ReadInteger(u"Уплати", u"Вкупно", 0), -1250) << reader.Name;
      EXPECT_TRUE(ini->ReadBool(u"Уплати", u"Платено", false)) << reader.Name;
    }
    // Plain UTF-8, no byte order mark, one entry a line.
    EXPECT_EQ(ReadBytes(UTF8Encode(FFile)),
              "[Членови]\nИме=Зоран Јовановски\nГрад=Скопје\n\n[Уплати]\nВкупно=-1250\n"
              "Платено=1\n");
  }
}

TEST_F(IniFiles, ValuesKeepEqualsSignsBlanksAndQuotes) {
  const String values[] = {
      u"a=b=c", u"=",           u"  leading and trailing  ", u"\"quoted\"",     u"'single'", u"\"",
      u"",      u"tab\tinside", u"x;not a comment",          u"[not a section]"};
  for (const TIniKind& kind : kKinds) {
    SCOPED_TRACE(kind.Name);
    {
      auto ini = kind.Make(FFile);
      for (size_t i = 0; i < std::size(values); ++i)
        ini->WriteString(u"Values", u"V" + IntToStr(static_cast<int64_t>(i)), values[i]);
      ini->UpdateFile();
    }
    auto ini = kind.Make(FFile);
    for (size_t i = 0; i < std::size(values); ++i) {
      EXPECT_EQ(ini->ReadString(u"Values", u"V" + IntToStr(static_cast<int64_t>(i)), u"?"),
                values[i])
          << UTF8Encode(values[i]);
    }
  }
}

TEST_F(IniFiles, HandWrittenFilesAreReadAsTheSystemReadsThem) {
  WriteBytes(UTF8Encode(FFile),
             "\xEF\xBB\xBF; settings\r\n"
             "  [ Window ]  \r\n"
             "  Left = 10 \r\n"
             "Caption=\"  padded  \"\r\n"
             "Url=http://x/?a=1&b=2\r\n"
             "no equals sign here\r\n"
             "Left=99\r\n"
             "[window]\r\n"
             "Top=5\r\n");
  TMemIniFile ini(FFile);
  EXPECT_EQ(ini.ReadString(u"Window", u"Left", u""), u"10");  // the first of two wins
  EXPECT_EQ(ini.ReadString(u"Window", u"Caption", u""), u"  padded  ");
  EXPECT_EQ(ini.ReadString(u"Window", u"Url", u""), u"http://x/?a=1&b=2");
  EXPECT_EQ(ini.ReadString(u"window", u"Top", u"none"), u"none");  // a repeated section is not read
  TStringList names;
  ini.ReadSection(u"WINDOW", &names);
  EXPECT_EQ(Items(names), (std::vector<String>{u"Left", u"Caption", u"Url"}));
  ini.ReadSections(&names);
  EXPECT_EQ(Items(names), (std::vector<String>{u"Window"}));
}

// Random texts and random entries: whatever is written reads back the same after the text is
// parsed again, and parsing what was written changes nothing.
TEST(IniText, RandomEntriesReadBackAfterReparsing) {
  const String alphabet = u"[]=;\"' \t\r\naЖž#";
  std::mt19937 random(7);
  auto randomText = [&](size_t maxLength) {
    String text;
    for (size_t n = random() % (maxLength + 1); n > 0; --n)
      text += alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 2000; ++round) {
    TIniText text;
    text.Parse(randomText(60));
    TIniText reparsed;
    reparsed.Parse(text.Text());
    ASSERT_EQ(reparsed.Text(), text.Text());

    String section = randomText(4), name = randomText(4), value = randomText(8);
    if (!TIniText::SectionProblem(section).empty() || !TIniText::NameProblem(name).empty() ||
        !TIniText::ValueProblem(value).empty())
      continue;
    text.WriteValue(section, name, value);
    reparsed.Parse(text.Text());
    String read;
    ASSERT_TRUE(reparsed.ReadValue(section, name, read))
        << UTF8Encode(text.Text()) << " / " << UTF8Encode(section) << " / " << UTF8Encode(name);
    EXPECT_EQ(read, value) << UTF8Encode(text.Text());
  }
}

TEST_F(IniFiles, MemIniFileMatchesNamesWhateverTheirCase) {
  TMemIniFile ini(FFile);
  ini.WriteString(u"Раздел", u"Клуч", u"вредност");
  ini.WriteString(u"Settings", u"Width", u"640");
  EXPECT_EQ(ini.ReadString(u"РАЗДЕЛ", u"клуч", u""), u"вредност");
  EXPECT_EQ(ini.ReadString(u"SETTINGS", u"width", u""), u"640");
  EXPECT_TRUE(ini.ValueExists(u"раздел", u"КЛУЧ"));
  // Writing under another spelling changes the existing entry; the first spelling stays.
  ini.WriteString(u"раздел", u"КЛУЧ", u"нова");
  TStringList lines;
  ini.GetStrings(&lines);
  EXPECT_EQ(Items(lines),
            (std::vector<String>{u"[Раздел]", u"Клуч=нова", u"", u"[Settings]", u"Width=640"}));

  ini.SetCaseSensitive(true);
  EXPECT_EQ(ini.ReadString(u"РАЗДЕЛ", u"Клуч", u"missing"), u"missing");
  EXPECT_EQ(ini.ReadString(u"Раздел", u"Клуч", u"missing"), u"нова");
}

TEST_F(IniFiles, MemIniFileWritesOnlyOnUpdateFileAndKeepsCommentsAndLayout) {
  WriteBytes(UTF8Encode(FFile),
             "; the program's settings\n"
             "[Grid]\n"
             "; widths in pixels\n"
             "Col0 = 64\n"
             "Col1=80\n"
             "\n"
             "[Edit]\n"
             "Name=Иван\n");
  TMemIniFile ini(FFile);
  ini.WriteInteger(u"Grid", u"Col1", 90);
  ini.WriteInteger(u"Grid", u"Col2", 100);
  ini.WriteString(u"Нов", u"Клуч", u"да");
  ini.DeleteKey(u"Edit", u"Name");
  // Nothing reaches the file before UpdateFile.
  EXPECT_EQ(TIniFile(FFile).ReadString(u"Grid", u"Col1", u""), u"80");
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(UTF8Encode(FFile)),
            "; the program's settings\n"
            "[Grid]\n"
            "; widths in pixels\n"
            "Col0 = 64\n"
            "Col1=90\n"
            "Col2=100\n"
            "\n"
            "[Edit]\n"
            "\n"
            "[Нов]\n"
            "Клуч=да\n");
}

TEST_F(IniFiles, IniFileWritesThroughSoOtherObjectsSeeEveryChange) {
  TIniFile writer(FFile);
  TIniFile reader(FFile);
  writer.WriteString(u"S", u"K", u"1");
  EXPECT_EQ(reader.ReadString(u"S", u"K", u""), u"1");
  writer.WriteString(u"S", u"K", u"2");
  EXPECT_EQ(reader.ReadString(u"S", u"K", u""), u"2");
  writer.DeleteKey(u"S", u"K");
  EXPECT_FALSE(reader.ValueExists(u"S", u"K"));
  EXPECT_TRUE(reader.SectionExists(u"S"));  // the section is still there, now empty
  writer.EraseSection(u"S");
  EXPECT_FALSE(reader.SectionExists(u"S"));
}

TEST_F(IniFiles, MissingFileGivesDefaultsAndReadingCreatesNothing) {
  for (const TIniKind& kind : kKinds) {
    SCOPED_TRACE(kind.Name);
    auto ini = kind.Make(FFile);
    EXPECT_EQ(ini->ReadString(u"S", u"K", u"def"), u"def");
    EXPECT_EQ(ini->ReadInteger(u"S", u"K", 42), 42);
    EXPECT_TRUE(ini->ReadBool(u"S", u"K", true));
    EXPECT_EQ(ini->ReadFloat(u"S", u"K", 2.5), 2.5);
    EXPECT_EQ(ini->ReadDateTime(u"S", u"K", 45000.5), 45000.5);
    TMemoryStream stream;
    EXPECT_EQ(ini->ReadBinaryStream(u"S", u"K", &stream), 0);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_FALSE(ini->SectionExists(u"S"));
    EXPECT_FALSE(ini->ValueExists(u"S", u"K"));
    TStringList list;
    list.Add(u"stale");
    ini->ReadSections(&list);
    EXPECT_EQ(list.Count(), 0);
    ini->DeleteKey(u"S", u"K");
    ini->EraseSection(u"S");
    EXPECT_FALSE(std::filesystem::exists(UTF8Encode(FFile)));
  }
}

TEST_F(IniFiles, TypedValuesFollowTheTextRules) {
  TFormatSettingsGuard guard;
  FormatSettings() = MacedonianSettings();
  WriteBytes(UTF8Encode(FFile),
             "[N]\nhex=$1F\ncx=0x20\nbad=12abc\nspace= 7\nbig=99999999999\nyes=true\n"
             "one=1\nminus=-3\nfloat=1,5\nwrongfloat=1.5\ndate=24.12.2023\n");
  TMemIniFile ini(FFile);
  struct {
    const char16_t* Ident;
    int32_t Expected;
  } integers[] = {{u"hex", 31}, {u"cx", 32},  {u"bad", -1},  {u"space", 7},
                  {u"big", -1}, {u"yes", -1}, {u"minus", -3}};
  for (const auto& c : integers)
    EXPECT_EQ(ini.ReadInteger(u"N", c.Ident, -1), c.Expected) << UTF8Encode(c.Ident);
  EXPECT_FALSE(ini.ReadBool(u"N", u"yes", false));  // only numbers count
  EXPECT_TRUE(ini.ReadBool(u"N", u"minus", false));
  EXPECT_EQ(ini.ReadFloat(u"N", u"float", 0), 1.5);
  EXPECT_EQ(ini.ReadFloat(u"N", u"wrongfloat", -1), -1);
  EXPECT_EQ(ini.ReadDate(u"N", u"date", 0), EncodeDate(2023, 12, 24));

  const TDateTime moment = EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 30, 0);
  ini.WriteFloat(u"W", u"F", -1234.25);
  ini.WriteDate(u"W", u"D", moment);
  ini.WriteDateTime(u"W", u"DT", moment);
  ini.WriteTime(u"W", u"T", moment);
  ini.WriteBool(u"W", u"B", false);
  EXPECT_EQ(ini.ReadString(u"W", u"F", u""), u"-1234,25");
  EXPECT_EQ(ini.ReadString(u"W", u"D", u""), u"29.02.2024");
  EXPECT_EQ(ini.ReadString(u"W", u"DT", u""), u"29.02.2024 13:45:30");
  EXPECT_EQ(ini.ReadString(u"W", u"T", u""), u"13:45:30");
  EXPECT_EQ(ini.ReadString(u"W", u"B", u""), u"0");
  EXPECT_EQ(ini.ReadFloat(u"W", u"F", 0), -1234.25);
  EXPECT_EQ(ini.ReadDate(u"W", u"D", 0), EncodeDate(2024, 2, 29));
  EXPECT_EQ(ini.ReadDateTime(u"W", u"DT", 0), moment);
  EXPECT_DOUBLE_EQ(ini.ReadTime(u"W", u"T", 0), EncodeTime(13, 45, 30, 0));
}

TEST_F(IniFiles, BinaryStreamsAreHexadecimalText) {
  for (const TIniKind& kind : kKinds) {
    SCOPED_TRACE(kind.Name);
    auto ini = kind.Make(FFile);
    TMemoryStream source;
    TBytes bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<uint8_t>(255 - i));
    source.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    source.SetPosition(250);  // only the bytes from the position on are written
    ini->WriteBinaryStream(u"Bin", u"Tail", &source);
    EXPECT_EQ(ini->ReadString(u"Bin", u"Tail", u""), u"050403020100");

    source.SetPosition(0);
    ini->WriteBinaryStream(u"Bin", u"All", &source);
    ini->UpdateFile();
    auto reader = kind.Make(FFile);
    TMemoryStream target;
    target.WriteBuffer("ab", 2);  // read bytes go in at the position
    EXPECT_EQ(reader->ReadBinaryStream(u"Bin", u"All", &target), 256);
    EXPECT_EQ(target.Position(), 2);
    EXPECT_EQ(target.Size(), 258);
    EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(target.Memory()) + 2, bytes.data(), 256), 0);

    ini->WriteString(u"Bin", u"Broken", u"0A0BzzFF");
    TMemoryStream broken;
    EXPECT_EQ(ini->ReadBinaryStream(u"Bin", u"Broken", &broken), 2);  // up to the first non-digit
    EXPECT_EQ(broken.Size(), 2);
  }
}

TEST_F(IniFiles, SectionListsAndErasing) {
  for (const TIniKind& kind : kKinds) {
    SCOPED_TRACE(kind.Name);
    ::unlink(UTF8Encode(FFile).c_str());
    auto ini = kind.Make(FFile);
    ini->WriteString(u"A", u"x", u"1");
    ini->WriteString(u"B", u"y", u"2=3");
    ini->WriteString(u"B", u"z", u"");
    ini->WriteString(u"C", u"w", u"4");
    TStringList list;
    ini->ReadSections(&list);
    EXPECT_EQ(Items(list), (std::vector<String>{u"A", u"B", u"C"}));
    ini->ReadSection(u"b", &list);
    EXPECT_EQ(Items(list), (std::vector<String>{u"y", u"z"}));
    ini->ReadSectionValues(u"B", &list);
    EXPECT_EQ(Items(list), (std::vector<String>{u"y=2=3", u"z="}));
    ini->EraseSection(u"b");
    ini->DeleteKey(u"C", u"w");
    ini->ReadSections(&list);
    EXPECT_EQ(Items(list), (std::vector<String>{u"A", u"C"}));
    EXPECT_FALSE(ini->ValueExists(u"C", u"w"));
  }
}

TEST_F(IniFiles, NamesAndValuesThatWouldNotReadBackAreRefused) {
  struct {
    const char* Name;
    const char16_t* Section;
    const char16_t* Ident;
    const char16_t* Value;
  } cases[] = {
      {"line break in a value", u"S", u"K", u"two\nlines"},
      {"carriage return in a value", u"S", u"K", u"a\rb"},
      {"equals sign in a name", u"S", u"a=b", u"v"},
      {"name starting with ;", u"S", u";K", u"v"},
      {"name starting with [", u"S", u"[K", u"v"},
      {"blank at the end of a name", u"S", u"K ", u"v"},
      {"line break in a section", u"S\nT", u"K", u"v"},
      {"blank at the start of a section", u" S", u"K", u"v"},
  };
  for (const TIniKind& kind : kKinds) {
    WriteBytes(UTF8Encode(FFile), "[S]\nK=old\n");
    auto ini = kind.Make(FFile);
    for (const auto& c : cases) {
      EXPECT_THROW(ini->WriteString(c.Section, c.Ident, c.Value), EIniFileException)
          << kind.Name << ": " << c.Name;
    }
    ini->UpdateFile();
    EXPECT_EQ(ReadBytes(UTF8Encode(FFile)), "[S]\nK=old\n") << kind.Name;
  }
}

TEST_F(IniFiles, ByteOrderMarksAreReadAndAUtf8MarkIsKept) {
  WriteBytes(UTF8Encode(FFile), "\xEF\xBB\xBF[Ж]\nк=в\n");
  {
    TMemIniFile ini(FFile);
    EXPECT_EQ(ini.ReadString(u"Ж", u"к", u""), u"в");
    ini.WriteString(u"Ж", u"н", u"д");
    ini.UpdateFile();
  }
  EXPECT_EQ(ReadBytes(UTF8Encode(FFile)), "\xEF\xBB\xBF[Ж]\nк=в\nн=д\n");

  // UTF-16 little-endian with its mark, as other programs write INI files.
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : String(u"[Ш]\r\nќ=ѓ\r\n")) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  WriteBytes(UTF8Encode(FFile), utf16);
  EXPECT_EQ(TIniFile(FFile).ReadString(u"Ш", u"ќ", u""), u"ѓ");
}

TEST_F(IniFiles, AFileThatIsNotUtf8IsNeverRewritten) {
  const std::string latin1 = "[S]\nName=Jos\xE9\nOther=1\n";
  WriteBytes(UTF8Encode(FFile), latin1);
  TIniFile ini(FFile);
  EXPECT_EQ(ini.ReadString(u"S", u"Other", u""), u"1");
  EXPECT_THROW(ini.WriteString(u"S", u"Other", u"2"), EIniFileException);
  TMemIniFile mem(FFile);
  mem.WriteString(u"S", u"Other", u"2");
  EXPECT_THROW(mem.UpdateFile(), EIniFileException);
  EXPECT_EQ(ReadBytes(UTF8Encode(FFile)), latin1);
  // Content the program replaced as a whole may go to the file.
  mem.Clear();
  mem.WriteString(u"S", u"Name", u"José");
  mem.UpdateFile();
  EXPECT_EQ(ReadBytes(UTF8Encode(FFile)), "[S]\nName=José\n");
}

TEST_F(IniFiles, WriteFailuresNameTheFile) {
  const String missingFolder = FTemp.FileName("no-such-folder/settings.ini");
  ExpectRaises<EIniFileException>([&] { TIniFile(missingFolder).WriteString(u"S", u"K", u"V"); },
                                  u"Unable to write to " + missingFolder);
  TMemIniFile mem(missingFolder);
  mem.WriteString(u"S", u"K", u"V");
  ExpectRaises<EIniFileException>([&] { mem.UpdateFile(); },
                                  u"Unable to write to " + missingFolder);
  // A folder where the file should be cannot be read: TMemIniFile refuses to start over it.
  ::mkdir(UTF8Encode(FFile).c_str(), 0700);
  EXPECT_THROW(TMemIniFile{FFile}, EFOpenError);
}

TEST_F(IniFiles, MemIniFileStringsRenameAndClear) {
  TMemIniFile ini(FFile);
  TStringList lines;
  lines.SetText(u"[A]\nx = 1\n; note\n[B]\ny=2\n");
  ini.SetStrings(&lines);
  EXPECT_EQ(ini.ReadString(u"A", u"x", u""), u"1");
  const String other = FTemp.FileName("other.ini");
  ini.Rename(other, false);
  EXPECT_EQ(ini.FileName(), other);
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(UTF8Encode(other)), "[A]\nx = 1\n; note\n[B]\ny=2\n");
  EXPECT_FALSE(std::filesystem::exists(UTF8Encode(FFile)));

  WriteBytes(UTF8Encode(FFile), "[C]\nz=3\n");
  ini.Rename(FFile, true);
  EXPECT_EQ(ini.ReadString(u"C", u"z", u""), u"3");
  EXPECT_FALSE(ini.SectionExists(u"A"));
  ini.Clear();
  ini.GetStrings(&lines);
  EXPECT_EQ(lines.Count(), 0);
}

TEST_F(IniFiles, AFileNameWithoutAFolderLiesInTheCurrentDirectory) {
  std::string saved = std::filesystem::current_path().string();
  ASSERT_EQ(::chdir(FTemp.Path().c_str()), 0);
  auto ini = std::make_unique<TIniFile>(u"program.ini");
  ASSERT_EQ(::chdir(saved.c_str()), 0);
  // The directory of the moment the object was made, whatever the current one is later.
  ini->WriteString(u"S", u"K", u"V");
  EXPECT_EQ(ini->FileName(), u"program.ini");
  EXPECT_EQ(ReadBytes(FTemp.File("program.ini")), "[S]\nK=V\n");
}

TEST_F(IniFiles, RewritingKeepsTheFilesPermissionsAndSymbolicLinks) {
  const std::string target = FTemp.File("real.ini");
  WriteBytes(target, "[S]\nK=1\n");
  ::chmod(target.c_str(), 0640);
  ASSERT_EQ(::symlink(target.c_str(), UTF8Encode(FFile).c_str()), 0);
  TIniFile(FFile).WriteString(u"S", u"K", u"2");
  EXPECT_TRUE(std::filesystem::is_symlink(UTF8Encode(FFile)));
  EXPECT_EQ(ReadBytes(target), "[S]\nK=2\n");
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

}  // namespace
