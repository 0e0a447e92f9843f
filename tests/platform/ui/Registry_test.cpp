#include "platform/ui/Registry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "tests/platform/ui/SettingsTestSupport.h"

namespace {

std::vector<String> Items(TStrings& list) {
  std::vector<String> items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.Strings(i));
  return items;
}

// Every test has a registry of its own in a temporary configuration folder.
class Registry : public ::testing::Test {
 protected:
  TTempFolder FTemp;
  TEnvGuard FConfig{"XDG_CONFIG_HOME", FTemp.Path()};
};

TEST_F(Registry, ValuesWrittenByOneObjectAreReadByAnother) {
  const TDateTime moment = EncodeDate(2024, 3, 8) + EncodeTime(9, 30, 15, 250);
  const uint8_t blob[] = {0, 1, 0xFE, 0xFF, 0x7F};
  {
    TRegistry writer;
    ASSERT_TRUE(writer.OpenKey(u"Software\\Завел\\Поставки", true));
    writer.WriteString(u"Корисник", u"Марија Петровска");
    writer.WriteExpandString(u"Path", u"%HOME%/records");
    writer.WriteInteger(u"Count", -7);
    writer.WriteBool(u"Remember", true);
    writer.WriteFloat(u"Ratio", 0.1);
    writer.WriteDateTime(u"Last", moment);
    writer.WriteBinaryData(u"Blob", blob, sizeof blob);
    writer.WriteString(u"Empty", u"");
  }
  TRegistry reader;
  EXPECT_TRUE(reader.KeyExists(u"Software\\Завел\\Поставки"));
  ASSERT_TRUE(reader.OpenKey(u"Software\\Завел\\Поставки", false));
  EXPECT_EQ(reader.ReadString(u"Корисник"), u"Марија Петровска");
  EXPECT_EQ(reader.ReadString(u"Path"), u"%HOME%/records");
  EXPECT_EQ(reader.ReadInteger(u"Count"), -7);
  EXPECT_TRUE(reader.ReadBool(u"Remember"));
  EXPECT_EQ(reader.ReadFloat(u"Ratio"), 0.1);
  EXPECT_EQ(reader.ReadDateTime(u"Last"), moment);
  uint8_t buffer[16] = {};
  EXPECT_EQ(reader.ReadBinaryData(u"Blob", buffer, sizeof buffer), 5);
  EXPECT_EQ(std::memcmp(buffer, blob, sizeof blob), 0);
  EXPECT_EQ(reader.ReadString(u"Empty"), u"");

  struct {
    const char16_t* Name;
    TRegDataType Type;
    int32_t Size;
  } info[] = {{u"Корисник", rdString, 34}, {u"Path", rdExpandString, 30}, {u"Count", rdInteger, 4},
              {u"Ratio", rdBinary, 8},     {u"Blob", rdBinary, 5},        {u"Empty", rdString, 2},
              {u"Missing", rdUnknown, -1}};
  for (const auto& c : info) {
    EXPECT_EQ(reader.GetDataType(c.Name), c.Type) << UTF8Encode(c.Name);
    EXPECT_EQ(reader.GetDataSize(c.Name), c.Size) << UTF8Encode(c.Name);
  }
  TStringList names;
  reader.GetValueNames(&names);
  EXPECT_EQ(Items(names), (std::vector<String>{u"Корисник", u"Path", u"Count", u"Remember",
                                               u"Ratio", u"Last", u"Blob", u"Empty"}));
}

TEST_F(Registry, KeyAndValueNamesMatchWhateverTheirCase) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Software\\Завел", true));
  reg.WriteString(u"Сервер", u"localhost");
  EXPECT_TRUE(reg.KeyExists(u"\\SOFTWARE\\завел"));
  EXPECT_EQ(reg.ReadString(u"СЕРВЕР"), u"localhost");
  reg.WriteString(u"сервер", u"db.example");  // changes the value; its first spelling stays
  TStringList names;
  reg.GetValueNames(&names);
  EXPECT_EQ(Items(names), (std::vector<String>{u"Сервер"}));
  EXPECT_EQ(reg.ReadString(u"Сервер"), u"db.example");
  ASSERT_TRUE(reg.OpenKey(u"\\software", false));
  reg.GetKeyNames(&names);
  EXPECT_EQ(Items(names), (std::vector<String>{u"Завел"}));
}

TEST_F(Registry, RelativeAndAbsolutePaths) {
  TRegistry reg;
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  ASSERT_TRUE(reg.OpenKey(u"Software\\App", true));
  EXPECT_NE(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), u"Software\\App");
  ASSERT_TRUE(reg.OpenKey(u"Grid\\Columns\\", true));  // relative to the open key
  EXPECT_EQ(reg.CurrentPath(), u"Software\\App\\Grid\\Columns");
  ASSERT_TRUE(reg.OpenKey(u"", false));  // the open key itself
  EXPECT_EQ(reg.CurrentPath(), u"Software\\App\\Grid\\Columns");
  ASSERT_TRUE(reg.OpenKey(u"\\Software", false));  // from the root
  EXPECT_EQ(reg.CurrentPath(), u"Software");
  EXPECT_TRUE(reg.KeyExists(u"App\\Grid"));
  EXPECT_TRUE(reg.KeyExists(u"\\Software\\App\\Grid"));
  EXPECT_FALSE(reg.KeyExists(u"Software\\App"));  // relative: Software\Software\App
  EXPECT_TRUE(reg.HasSubKeys());

  EXPECT_FALSE(reg.OpenKey(u"Nowhere", false));
  EXPECT_EQ(reg.CurrentPath(), u"Software");   // a failed open keeps the open key
  EXPECT_FALSE(reg.OpenKey(u"a\\\\b", true));  // an empty name
  EXPECT_FALSE(reg.OpenKey(String(256, u'x'), true));
  EXPECT_FALSE(reg.KeyExists(u"\\Software\\App\\Grid\\Columns\\Width"));

  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), u"");
  EXPECT_TRUE(reg.KeyExists(u"Software\\App"));  // relative to the root again
}

TEST_F(Registry, RootsAreSeparateTrees) {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey(u"Software\\Shared", true));
  reg.WriteInteger(u"Machine", 1);
  reg.SetRootKey(HKEY_CLASSES_ROOT);
  EXPECT_EQ(reg.CurrentKey(), nullptr);  // changing the root closes the key
  EXPECT_FALSE(reg.KeyExists(u"Software\\Shared"));
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.KeyExists(u"Software\\Shared"));
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly(u"Software\\Shared"));
  EXPECT_EQ(reg.ReadInteger(u"Machine"), 1);
  reg.SetRootKey(reinterpret_cast<HKEY>(static_cast<intptr_t>(12345)));
  EXPECT_FALSE(reg.OpenKey(u"Software", true));
  // No Office colour scheme is installed on this platform.
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.KeyExists(u"Software\\Microsoft\\Office\\12.0\\Common"));
}

TEST_F(Registry, ReadErrorsCarryTheSystemMessages) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Software\\Types", true));
  reg.WriteString(u"Text", u"1");  // four bytes with its terminating zero
  reg.WriteString(u"Long", u"a longer text");
  reg.WriteInteger(u"Number", 5);
  const uint8_t four[4] = {1, 2, 3, 4};
  reg.WriteBinaryData(u"Four", four, 4);
  uint8_t buffer[8];
  struct {
    const char* Name;
    std::function<void()> Call;
    const char16_t* Message;
  } cases[] = {
      {"integer missing", [&] { reg.ReadInteger(u"Nope"); }, u"Failed to get data for 'Nope'"},
      {"integer from a short string", [&] { reg.ReadInteger(u"Text"); },
       u"Invalid data type for 'Text'"},
      {"integer from a long string", [&] { reg.ReadInteger(u"Long"); },
       u"Failed to get data for 'Long'"},
      {"bool from binary", [&] { reg.ReadBool(u"Four"); }, u"Invalid data type for 'Four'"},
      {"string from an integer", [&] { reg.ReadString(u"Number"); },
       u"Invalid data type for 'Number'"},
      {"float missing", [&] { reg.ReadFloat(u"Nope"); }, u"Failed to get data for 'Nope'"},
      {"float from four bytes", [&] { reg.ReadFloat(u"Four"); }, u"Invalid data type for 'Four'"},
      {"date from an integer", [&] { reg.ReadDateTime(u"Number"); },
       u"Invalid data type for 'Number'"},
      {"binary from a string", [&] { reg.ReadBinaryData(u"Text", buffer, sizeof buffer); },
       u"Invalid data type for 'Text'"},
      {"binary into a small buffer", [&] { reg.ReadBinaryData(u"Four", buffer, 3); },
       u"Invalid data type for 'Four'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ExpectRaises<ERegistryException>(c.Call, c.Message);
  }
  EXPECT_EQ(reg.ReadString(u"Nope"), u"");  // a missing string is simply empty
  EXPECT_EQ(reg.ReadBinaryData(u"Nope", buffer, sizeof buffer), 0);
}

TEST_F(Registry, WritesNeedAnOpenWritableKey) {
  TRegistry reg;
  ExpectRaises<ERegistryException>([&] { reg.WriteString(u"X", u"1"); },
                                   u"Failed to set data for 'X'");
  ASSERT_TRUE(reg.OpenKey(u"Software\\Locked", true));
  reg.WriteString(u"X", u"1");
  ASSERT_TRUE(reg.OpenKeyReadOnly(u"\\Software\\Locked"));
  EXPECT_EQ(reg.Access(), KEY_READ);
  EXPECT_EQ(reg.ReadString(u"X"), u"1");
  ExpectRaises<ERegistryException>([&] { reg.WriteInteger(u"Y", 2); },
                                   u"Failed to set data for 'Y'");
  EXPECT_FALSE(reg.DeleteValue(u"X"));
  EXPECT_FALSE(reg.OpenKeyReadOnly(u"\\Software\\Missing"));

  // A key deleted while it is open takes no more values.
  TRegistry other;
  ASSERT_TRUE(other.OpenKey(u"Software\\Doomed", true));
  ASSERT_TRUE(reg.DeleteKey(u"\\Software\\Doomed"));
  ExpectRaises<ERegistryException>([&] { other.WriteString(u"Z", u"3"); },
                                   u"Failed to set data for 'Z'");
  EXPECT_FALSE(reg.KeyExists(u"\\Software\\Doomed"));
}

TEST_F(Registry, CreatingAndDeletingKeys) {
  TRegistry reg;
  EXPECT_TRUE(reg.CreateKey(u"Software\\A\\B\\C"));
  EXPECT_TRUE(reg.CreateKey(u"Software\\A\\B\\C"));  // already there is fine
  EXPECT_EQ(reg.CurrentKey(), nullptr);              // created, not opened
  ExpectRaises<ERegistryException>([&] { reg.CreateKey(u"Software\\\\Bad"); },
                                   u"Failed to create key Software\\\\Bad");
  ASSERT_TRUE(reg.OpenKey(u"Software\\A\\B", false));
  reg.WriteString(u"V", u"1");
  ASSERT_TRUE(reg.OpenKey(u"\\Software\\A", false));
  EXPECT_FALSE(reg.DeleteKey(u"Missing"));
  EXPECT_TRUE(reg.DeleteKey(u"B"));  // with its subkeys and values
  EXPECT_FALSE(reg.KeyExists(u"B"));
  EXPECT_FALSE(reg.KeyExists(u"\\Software\\A\\B\\C"));
  EXPECT_FALSE(reg.HasSubKeys());
  EXPECT_FALSE(reg.DeleteKey(u"\\"));  // a root stays

  ASSERT_TRUE(reg.OpenKey(u"\\Software\\A", false));
  reg.WriteString(u"Keep", u"k");
  reg.WriteString(u"Drop", u"d");
  EXPECT_TRUE(reg.DeleteValue(u"drop"));
  EXPECT_FALSE(reg.DeleteValue(u"Drop"));
  EXPECT_FALSE(reg.ValueExists(u"Drop"));
  EXPECT_TRUE(reg.ValueExists(u"Keep"));
}

TEST_F(Registry, TheStoreLivesInTheConfigurationFolder) {
  EXPECT_EQ(TRegistry().StoreFileName(),
            UTF8ToString(FTemp.Path() + "/association-records/registry/store"));
  {
    // Without XDG_CONFIG_HOME (or with a relative one) it is under $HOME/.config.
    TEnvGuard home("HOME", FTemp.Path() + "/home");
    TEnvGuard relative("XDG_CONFIG_HOME", std::string("relative/folder"));
    EXPECT_EQ(TRegistry().StoreFileName(),
              UTF8ToString(FTemp.Path() + "/home/.config/association-records/registry/store"));
    TEnvGuard none("XDG_CONFIG_HOME", std::nullopt);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(u"Software\\X", true));
    reg.WriteInteger(u"N", 1);
    EXPECT_TRUE(
        std::filesystem::exists(FTemp.Path() + "/home/.config/association-records/registry/store"));
  }
  // Reading creates nothing.
  TEnvGuard fresh("XDG_CONFIG_HOME", FTemp.Path() + "/fresh");
  TRegistry reader;
  EXPECT_FALSE(reader.KeyExists(u"Software"));
  EXPECT_FALSE(reader.OpenKey(u"Software", false));
  EXPECT_FALSE(std::filesystem::exists(FTemp.Path() + "/fresh"));
}

// ---- the INI classes over the registry ----

TEST_F(Registry, RegIniFileKeepsSectionsAsSubkeysAndIntegersAsText) {
  {
    TRegIniFile ini(u"Software\\Завел\\Edit");
    EXPECT_EQ(ini.FileName(), u"Software\\Завел\\Edit");
    EXPECT_EQ(ini.CurrentPath(), u"Software\\Завел\\Edit");
    ini.WriteString(u"Пребарување", u"edName", u"Петар");
    ini.WriteInteger(u"Пребарување", u"LOOKUPCOUNT", 2);
    ini.WriteBool(u"Пребарување", u"On", true);
    ini.WriteString(u"", u"Own", u"value of the key itself");
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Software\\Завел\\Edit\\Пребарување", false));
  EXPECT_EQ(reg.GetDataType(u"LOOKUPCOUNT"), rdString);
  EXPECT_EQ(reg.ReadString(u"LOOKUPCOUNT"), u"2");
  reg.WriteInteger(u"Number", 9);  // an integer value written by other code reads as well
  reg.WriteString(u"NotANumber", u"abc");

  TRegIniFile ini(u"Software\\Завел\\Edit");
  EXPECT_EQ(ini.ReadString(u"Пребарување", u"edName", u"@"), u"Петар");
  EXPECT_EQ(ini.ReadInteger(u"Пребарување", u"LOOKUPCOUNT", 0), 2);
  EXPECT_EQ(ini.ReadInteger(u"Пребарување", u"Number", 0), 9);
  EXPECT_EQ(ini.ReadString(u"Пребарување", u"Number", u""), u"9");
  EXPECT_EQ(ini.ReadInteger(u"Пребарување", u"NotANumber", -1), -1);
  EXPECT_TRUE(ini.ReadBool(u"Пребарување", u"On", false));
  EXPECT_EQ(ini.ReadString(u"Пребарување", u"Missing", u"@"), u"@");
  EXPECT_EQ(ini.ReadString(u"No section", u"edName", u"@"), u"@");
  EXPECT_EQ(ini.ReadString(u"", u"Own", u""), u"value of the key itself");
  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(Items(list), (std::vector<String>{u"Пребарување"}));
  ini.ReadSectionValues(u"Пребарување", &list);
  EXPECT_EQ(Items(list), (std::vector<String>{u"edName=Петар", u"LOOKUPCOUNT=2", u"On=1",
                                              u"Number=9", u"NotANumber=abc"}));
  ini.DeleteKey(u"Пребарување", u"On");
  ini.ReadSection(u"Пребарување", &list);
  EXPECT_EQ(list.IndexOf(u"On"), -1);
  ini.EraseSection(u"");  // the key's own values go, its sections stay
  EXPECT_EQ(ini.ReadString(u"", u"Own", u"gone"), u"gone");
  EXPECT_EQ(ini.ReadString(u"Пребарување", u"edName", u""), u"Петар");
  ini.EraseSection(u"Пребарување");
  ini.ReadSections(&list);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(Registry, RegistryIniFileRoundTripsEveryKindOfValue) {
  const TDateTime moment = EncodeDate(2023, 11, 5) + EncodeTime(18, 0, 1, 999);
  TBytes bytes = {0xDE, 0xAD, 0xBE, 0xEF, 0x00};
  {
    TRegistryIniFile ini(u"Software\\Завел\\Grid");
    ini.WriteInteger(u"Колони", u"Col0", 64);
    ini.WriteString(u"Колони", u"Наслов", u"Име и презиме");
    ini.WriteBool(u"Колони", u"Visible", false);
    ini.WriteFloat(u"Колони", u"Scale", 1.0 / 3.0);
    ini.WriteDateTime(u"Колони", u"Saved", moment);
    TBytesStream stream(bytes);
    ini.WriteBinaryStream(u"Колони", u"Layout", &stream);
    ini.UpdateFile();  // nothing is pending: the store already has it
  }
  TRegistryIniFile ini(u"Software\\Завел\\Grid");
  EXPECT_EQ(ini.FileName(), u"Software\\Завел\\Grid");
  EXPECT_EQ(ini.ReadInteger(u"колони", u"COL0", 0), 64);
  EXPECT_EQ(ini.ReadString(u"Колони", u"Наслов", u""), u"Име и презиме");
  EXPECT_FALSE(ini.ReadBool(u"Колони", u"Visible", true));
  EXPECT_EQ(ini.ReadFloat(u"Колони", u"Scale", 0), 1.0 / 3.0);  // exact: kept as eight bytes
  EXPECT_EQ(ini.ReadDateTime(u"Колони", u"Saved", 0), moment);
  TMemoryStream read;
  EXPECT_EQ(ini.ReadBinaryStream(u"Колони", u"Layout", &read), 5);
  EXPECT_EQ(TBytes(static_cast<uint8_t*>(read.Memory()), static_cast<uint8_t*>(read.Memory()) + 5),
            bytes);
  // What the store holds: an integer value, eight bytes for the float.
  ASSERT_TRUE(ini.RegIniFile()->OpenKey(u"Колони", false));
  EXPECT_EQ(ini.RegIniFile()->GetDataType(u"Col0"), rdInteger);
  EXPECT_EQ(ini.RegIniFile()->GetDataSize(u"Scale"), 8);
  ini.RegIniFile()->CloseKey();

  EXPECT_TRUE(ini.SectionExists(u"Колони"));
  EXPECT_FALSE(ini.SectionExists(u"Редови"));
  EXPECT_TRUE(ini.ValueExists(u"Колони", u"Layout"));
  EXPECT_FALSE(ini.ValueExists(u"Колони", u"Col9"));
  EXPECT_EQ(ini.ReadInteger(u"Колони", u"Col9", 77), 77);
  EXPECT_EQ(ini.ReadDateTime(u"Редови", u"Saved", 1.5), 1.5);
  TStringList list;
  ini.ReadSectionValues(u"Колони", &list);
  EXPECT_EQ(list.Values(u"Col0"), u"64");
  EXPECT_EQ(list.Values(u"Layout"), u"DEADBEEF00");
  ini.EraseSection(u"Колони");
  EXPECT_FALSE(ini.SectionExists(u"Колони"));
}

TEST_F(Registry, RegistryIniFileReadsNumbersAndDatesStoredAsText) {
  TRegistryIniFile ini(u"Software\\Text");
  ini.WriteString(u"S", u"Width", u"120");
  ini.WriteString(u"S", u"Ratio", u"2.5");
  ini.WriteString(u"S", u"Day", u"12/31/2023");
  ini.WriteString(u"S", u"Garbage", u"x");
  TMemoryStream stream;
  ini.WriteString(u"S", u"Hex", u"0102");
  EXPECT_EQ(ini.ReadInteger(u"S", u"Width", 0), 120);
  EXPECT_EQ(ini.ReadFloat(u"S", u"Ratio", 0), 2.5);
  EXPECT_EQ(ini.ReadDate(u"S", u"Day", 0), EncodeDate(2023, 12, 31));
  EXPECT_EQ(ini.ReadFloat(u"S", u"Garbage", -1), -1);
  EXPECT_EQ(ini.ReadBinaryStream(u"S", u"Hex", &stream), 2);
}

}  // namespace
