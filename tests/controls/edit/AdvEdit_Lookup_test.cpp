// The lookup list offered while typing, the history, and the text and history kept between runs
// in an INI file or the registry, including files a person or a fault has damaged.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/rtl/ProgramPaths.h"
#include "platform/ui/IniFiles.h"
#include "platform/ui/Registry.h"
#include "tests/controls/edit/AdvEditTestSupport.h"
#include "tests/platform/ui/SettingsTestSupport.h"

namespace {

using namespace advedit_test;

std::vector<String> Items(TAdvEdit* edit) {
  std::vector<String> items;
  for (int i = 0; i < edit->LookupListBox()->Count(); ++i)
    items.push_back(edit->LookupListBox()->Items()->Strings(i));
  return items;
}

class LookupTest : public TAdvEditTest {
 public:
  LookupTest() {
    Edit->Lookup()->Enabled = true;
    Edit->Lookup()->DisplayList()->SetCommaText(u"apple,apricot,banana");
  }
};

TEST_F(LookupTest, TypedTextOpensTheMatchingEntries) {
  Focus(Edit);
  TypeKeys(u"a");
  EXPECT_FALSE(Edit->LookupVisible()) << "fewer characters than NumChars";
  TypeKeys(u"p");
  ASSERT_TRUE(Edit->LookupVisible());
  EXPECT_EQ(Items(Edit), (std::vector<String>{u"apple", u"apricot"}));
  EXPECT_EQ(Edit->LookupListBox()->ItemIndex(), 0);
  Edit->SetText(u"");
  TypeKeys(u"AP");
  EXPECT_EQ(Items(Edit), (std::vector<String>{u"apple", u"apricot"})) << "case is ignored";
  Edit->Lookup()->CaseSensitive = true;
  Edit->SetText(u"");
  TypeKeys(u"AP");
  EXPECT_FALSE(Edit->LookupVisible());
  Edit->Lookup()->CaseSensitive = false;
  Edit->SetText(u"");
  TypeKeys(u"an");
  EXPECT_FALSE(Edit->LookupVisible()) << "matches start at the entry's start";
  Edit->FullTextSearch = true;
  Edit->SetText(u"");
  TypeKeys(u"an");
  EXPECT_EQ(Items(Edit), (std::vector<String>{u"banana"}));
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(Edit->LookupVisible());
}

TEST_F(LookupTest, KeysChooseAnEntryAndItsValueIsTaken) {
  Edit->Lookup()->ShowValue = true;
  Edit->Lookup()->ValueList()->SetCommaText(u"1,2,3");
  Focus(Edit);
  TypeKeys(u"ap");
  EXPECT_EQ(Items(Edit), (std::vector<String>{u"apple (1)", u"apricot (2)"}));
  PressKey(VK_DOWN);
  EXPECT_EQ(Edit->LookupListBox()->ItemIndex(), 1);
  PressKey(VK_DOWN);
  EXPECT_EQ(Edit->LookupListBox()->ItemIndex(), 1) << "not past the last";
  PressKey(VK_HOME);
  EXPECT_EQ(Edit->LookupListBox()->ItemIndex(), 0);
  String selected;
  Edit->OnLookupIndexSelect = [&](TObject*, int index, String& value) {
    selected = IntToStr(index) + u":" + value;
  };
  PressKey(VK_RETURN);
  EXPECT_FALSE(Edit->LookupVisible());
  EXPECT_EQ(selected, u"0:1");
  EXPECT_EQ(Edit->Text(), u"1");
  EXPECT_EQ(Edit->SelText(), u"1");
}

TEST_F(LookupTest, AListOfEntriesReplacesOnlyTheLast) {
  Edit->Lookup()->Multi = true;
  Edit->SetText(u"x;y;");
  Focus(Edit);
  Select(Edit, 4, 4);
  TypeKeys(u"ba");
  ASSERT_TRUE(Edit->LookupVisible());
  PressKey(VK_RETURN);
  EXPECT_EQ(Edit->Text(), u"x;y;banana;");
  EXPECT_EQ(Edit->CaretPos(), 11);
}

TEST_F(LookupTest, HistoryAddsTheTrimmedValueOnce) {
  Edit->Lookup()->History = true;
  Focus(Edit);
  Edit->SetText(u"  cherry ");
  Focus(Other);
  Focus(Edit);
  Edit->SetText(u"Cherry");
  Focus(Other);
  EXPECT_EQ(Edit->Lookup()->DisplayList()->CommaText(), u"apple,apricot,banana,cherry");
}

// --- Persistence ---------------------------------------------------------------------------------

class PersistTest : public TAdvEditTest {
 public:
  TAdvEdit* Persisted(const String& name, TPersistenceLocation location, const String& key) {
    TAdvEdit* edit = Add(name, Bounds(10, 200, 100, 24));
    edit->Persistence()->Enable = true;
    edit->Persistence()->Location = location;
    edit->Persistence()->Key = key;
    edit->Lookup()->Enabled = true;
    edit->Lookup()->History = true;
    return edit;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
  static void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  TTempFolder Temp;
  TEnvGuard Config{"XDG_CONFIG_HOME", Temp.Path()};
};

TEST_F(PersistTest, TextAndHistoryRoundTripThroughAnIniFileAndTheRegistry) {
  for (TPersistenceLocation location :
       {TPersistenceLocation::plInifile, TPersistenceLocation::plRegistry}) {
    SCOPED_TRACE(static_cast<int>(location));
    String key = location == TPersistenceLocation::plInifile ? Temp.FileName("edits.ini")
                                                             : String(u"Software\\Records\\Edits");
    TAdvEdit* saved = Persisted(u"CityEdit", location, key);
    saved->Persistence()->Section = u"Login";
    saved->SetPrefix(u"Град: ");
    saved->SetText(u"Скопје");
    saved->Lookup()->DisplayList()->SetCommaText(u"Битола,Охрид");
    saved->Lookup()->ValueList()->SetCommaText(u"7000,6000");
    saved->SavePersist();
    delete saved;

    TAdvEdit* loaded = Persisted(u"CityEdit", location, key);
    loaded->Persistence()->Section = u"Login";
    loaded->SetPrefix(u"Град: ");
    loaded->LoadPersist();
    EXPECT_EQ(loaded->Text(), u"Скопје");
    EXPECT_EQ(loaded->Lookup()->DisplayList()->CommaText(), u"Битола,Охрид");
    EXPECT_EQ(loaded->Lookup()->ValueList()->CommaText(), u"7000,6000");
    delete loaded;
  }
  std::string ini = ReadFile(Temp.File("edits.ini"));
  EXPECT_NE(ini.find("[Login]"), std::string::npos);
  EXPECT_NE(ini.find("CityEdit=Град: Скопје"), std::string::npos);
  EXPECT_NE(ini.find("LOOKUPCOUNT=2"), std::string::npos);
  EXPECT_NE(ini.find("LOOKUPVAL1=7000"), std::string::npos);
  EXPECT_NE(ini.find("LOOKUPVAL2=6000"), std::string::npos);
  EXPECT_NE(ini.find("LOOKUPDISPL2=Охрид"), std::string::npos);
}

TEST_F(PersistTest, AnEmptyKeyAndSectionMeanTheProgramsFileAndTheEditsName) {
  TAdvEdit* saved = Persisted(u"NameEdit", TPersistenceLocation::plInifile, u"");
  saved->SetText(u"Ана");
  saved->HandleNeeded();
  // The window's end saves, as when the form closes.
  delete saved;
  std::string program = std::filesystem::path(UTF8Encode(ProgramFileName())).stem().string();
  std::string file = Temp.Path() + "/association-records/" + program + ".INI";
  ASSERT_TRUE(std::filesystem::exists(file)) << file;
  EXPECT_NE(ReadFile(file).find("[NameEdit]"), std::string::npos);
  TAdvEdit* loaded = Persisted(u"NameEdit", TPersistenceLocation::plInifile, u"");
  loaded->LoadPersist();
  EXPECT_EQ(loaded->Text(), u"Ана");
}

TEST_F(PersistTest, DamagedFilesLoadWhatTheyCanAndNothingElse) {
  struct TCase {
    const char* Name;
    const char* File;
    TAdvEditType Type;
    const char16_t* Text;     // after loading
    const char16_t* History;  // the display list after loading
  } cases[] = {
      {"HugeCount", "[S]\nE=a\nLOOKUPCOUNT=2147483647\nLOOKUPDISPL1=one\n", TAdvEditType::etString,
       u"a", u"one"},
      {"CountThatIsNoNumber", "[S]\nE=b\nLOOKUPCOUNT=x\nLOOKUPDISPL1=one\n",
       TAdvEditType::etString, u"b", u""},
      {"NegativeCount", "[S]\nLOOKUPCOUNT=-5\n", TAdvEditType::etString, u"", u""},
      {"TextTheTypeRefuses", "[S]\nE=abc\n", TAdvEditType::etNumeric, u"0", u""},
      {"TheNoTextMark", "[S]\nE=@\n", TAdvEditType::etString, u"", u""},
      {"CutShort", "[S]\nE=cut\nLOOKUPCOUNT=3\nLOOKUPDISPL1=one\nLOOKUPDISPL2=tw", 
       TAdvEditType::etString, u"cut", u"one,tw"},
      {"NotEvenASection", "E=x\n\x01\xff\n[", TAdvEditType::etString, u"", u""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteFile(Temp.File("damaged.ini"), c.File);
    TAdvEdit* edit = Persisted(u"E", TPersistenceLocation::plInifile, Temp.FileName("damaged.ini"));
    edit->Persistence()->Section = u"S";
    edit->SetEditType(c.Type);
    edit->SetText(u"");
    try {
      edit->LoadPersist();
    } catch (const Exception& e) {
      // A file that is not UTF-8 is refused by the INI class, and said so.
      EXPECT_STREQ(c.Name, "NotEvenASection") << UTF8Encode(e.Message());
    }
    EXPECT_EQ(UTF8Encode(edit->Text()), UTF8Encode(c.Text));
    EXPECT_EQ(UTF8Encode(edit->Lookup()->DisplayList()->CommaText()), UTF8Encode(c.History));
    edit->Persistence()->Enable = false;
    delete edit;
  }
}

}  // namespace
