// The format table between the program's drag-and-drop formats and other programs' targets: URI
// lists, the CF_HDROP record, and the conversions both ways.
#include <gtest/gtest.h>

#include "platform/rtl/UnicodeText.h"
#include "platform/win/Clipboard.h"
#include "platform/win/DragFormats.h"
#include "platform/win/DropFiles.h"
#include "platform/win/HeadlessBackEnd.h"
#include "tests/support/BlockDataObject.h"

namespace {

using testsupport::TBlockDataObject;
using testsupport::Utf16Bytes;

class DragFormatsTest : public ::testing::Test {
 protected:
  THeadlessSession Session;
};

TEST(DragFormats, UriListsSplitIntoLocalFilesAndLinks) {
  struct TCase {
    const char* Name;
    std::string List;
    std::vector<String> Files;
    std::vector<String> Urls;
  } cases[] = {
      {"an empty host", "file:///tmp/a.txt", {u"/tmp/a.txt"}, {}},
      {"localhost, any case", "file://LocalHost/tmp/a", {u"/tmp/a"}, {}},
      {"percent-encoded Cyrillic and blanks", "file:///%D0%B0%20%d0%b1", {u"/а б"}, {}},
      {"another host is a link", "file://server/share/a", {}, {u"file://server/share/a"}},
      {"a host that starts like localhost",
       "file://localhost.evil/a",
       {},
       {u"file://localhost.evil/a"}},
      {"other schemes are links", "https://x.mk/a%20b", {}, {u"https://x.mk/a%20b"}},
      {"comments, blank lines and CR LF",
       "# c\r\n\r\nfile:///a\r\nfile:///b\n",
       {u"/a", u"/b"},
       {}},
      {"a bad percent code stays", "file:///a%zz%4", {u"/a%zz%4"}, {}},
      {"a percent at the end", "file:///a%", {u"/a%"}, {}},
      {"a NUL in the path drops the file", "file:///a%00b\nfile:///c", {u"/c"}, {}},
      {"no path at all", "file://", {}, {u"file://"}},
      {"a trailing NUL of the block", std::string("file:///a\0", 10), {u"/a"}, {}},
  };
  for (const TCase& c : cases) {
    TUriList list = ParseUriList(c.List);
    EXPECT_EQ(list.Files, c.Files) << c.Name;
    EXPECT_EQ(list.Urls, c.Urls) << c.Name;
  }
  std::vector<String> names{u"/home/ана/фајл 1%.txt", u"/tmp/#x"};
  std::string written = MakeUriList(names, {u"https://x.mk"});
  EXPECT_EQ(written.substr(0, 27), "file:///home/%D0%B0%D0%BD%D");
  TUriList back = ParseUriList(written);
  EXPECT_EQ(back.Files, names);
  EXPECT_EQ(back.Urls, (std::vector<String>{u"https://x.mk"}));
}

TEST(DragFormats, TheFileRecordRoundTripsAndCutsWhatRunsOff) {
  std::vector<String> names{u"/tmp/а.txt", u"/b"};
  HGLOBAL block = MakeDropFiles(names);
  EXPECT_EQ(GlobalSize(block), sizeof(DROPFILES) + (11 + 3 + 1) * 2);
  EXPECT_EQ(ReadDropFiles(block), names);
  const auto* bytes = static_cast<const char*>(GlobalLock(block));
  std::string whole(bytes, GlobalSize(block));
  GlobalUnlock(block);
  GlobalFree(block);
  // Every cut of the block reads without going past it: a prefix of the names, the last cut.
  for (size_t size = 0; size <= whole.size(); ++size) {
    std::string cut = whole.substr(0, size);
    std::vector<String> read = ReadDropFiles(cut.data(), cut.size());
    ASSERT_LE(read.size(), 2u) << size;
    for (size_t i = 0; i < read.size(); ++i)
      EXPECT_EQ(names[i].substr(0, read[i].size()), read[i]) << size;
  }
  EXPECT_TRUE(ReadDropFiles(nullptr, 40).empty());
  EXPECT_TRUE(ReadDropFiles(static_cast<HGLOBAL>(nullptr)).empty());
}

TEST_F(DragFormatsTest, OurDataGoesOutUnderTheTableTargets) {
  UINT rtf = RegisterClipboardFormat(CFSTR_RTF);
  UINT url = RegisterClipboardFormat(CFSTR_URL);
  UINT cells = RegisterClipboardFormat(u"TZozIvozedOrer Cells");
  TDragRef<TBlockDataObject> data(new TBlockDataObject);
  data->Offer(CF_TEXT, std::string("ansi\0", 5));
  data->Offer(CF_UNICODETEXT, Utf16Bytes(u"Ана"));
  data->Offer(rtf, std::string("{\\rtf1}\0junk", 11));
  data->Offer(cells, std::string("\2\0\0\0ab", 6));
  HGLOBAL files = MakeDropFiles({u"/tmp/а"});
  data->Offer(CF_HDROP,
              std::string(static_cast<const char*>(GlobalLock(files)), GlobalSize(files)));
  GlobalUnlock(files);
  GlobalFree(files);
  data->Offer(url, std::string("https://x.mk\0", 13));
  EXPECT_EQ(ExportTargets(data.Get()),
            (std::vector<std::string>{"UTF8_STRING", "text/plain;charset=utf-8", "text/plain",
                                      "text/rtf", "TZozIvozedOrer Cells", "text/uri-list"}));
  struct TCase {
    const char* Target;
    bool Ok;
    std::string Bytes;
  } cases[] = {
      {"UTF8_STRING", true, "Ана"},  // UTF-16 preferred to CF_TEXT
      {"text/plain", true, "Ана"},
      {"text/rtf", true, "{\\rtf1}"},
      {"TZozIvozedOrer Cells", true, std::string("\2\0\0\0ab", 6)},
      {"text/uri-list", true, "file:///tmp/%D0%B0\r\nhttps://x.mk\r\n"},
      {"Grid Column", false, ""},
      {"TARGETS", false, ""},
  };
  for (const TCase& c : cases) {
    std::string bytes;
    EXPECT_EQ(ExportData(data.Get(), c.Target, bytes), c.Ok) << c.Target;
    EXPECT_EQ(bytes, c.Bytes) << c.Target;
  }
  TDragRef<TBlockDataObject> mute(new TBlockDataObject);
  mute->Offer(CF_TEXT, "a");
  mute->CannotEnumerate = true;
  EXPECT_TRUE(ExportTargets(mute.Get()).empty());
}

TEST_F(DragFormatsTest, AnotherProgramsTargetsBecomeOurFormats) {
  UINT cells = RegisterClipboardFormat(u"TZozIvozedOrer Cells");
  std::vector<std::string> asked;
  std::map<std::string, std::string> offered{{"text/plain", "plain"},
                                             {"text/rtf", "{\\rtf1}"},
                                             {"TZozIvozedOrer Cells", "raw"},
                                             {"application/x-unknown", "?"},
                                             {"text/uri-list", "file:///a\r\nhttps://x.mk\r\n"}};
  std::vector<std::string> targets;
  for (auto& [target, bytes] : offered) targets.push_back(target);
  TDragRef<TForeignDataObject> data(
      new TForeignDataObject(targets, [&](const std::string& target, std::string& bytes) {
        asked.push_back(target);
        bytes = offered[target];
        return true;
      }));
  auto read = [&](UINT format, std::string& bytes) {
    FORMATETC wanted;
    wanted.cfFormat = format;
    STGMEDIUM medium;
    if (data->GetData(&wanted, &medium) != S_OK) return false;
    bytes.assign(static_cast<const char*>(GlobalLock(medium.hGlobal)), GlobalSize(medium.hGlobal));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return true;
  };
  std::string bytes;
  ASSERT_TRUE(read(CF_UNICODETEXT, bytes));
  EXPECT_EQ(bytes, Utf16Bytes(u"plain"));
  ASSERT_TRUE(read(CF_TEXT, bytes));
  EXPECT_EQ(bytes, std::string("plain\0", 6));
  ASSERT_TRUE(read(RegisterClipboardFormat(CFSTR_RTF), bytes));
  EXPECT_EQ(bytes, std::string("{\\rtf1}\0", 8));
  ASSERT_TRUE(read(cells, bytes));
  EXPECT_EQ(bytes, "raw");
  ASSERT_TRUE(read(CF_HDROP, bytes));
  EXPECT_EQ(ReadDropFiles(bytes.data(), bytes.size()), (std::vector<String>{u"/a"}));
  ASSERT_TRUE(read(RegisterClipboardFormat(CFSTR_URL), bytes));
  EXPECT_EQ(bytes, std::string("https://x.mk\0", 13));
  // A target of a name the program never registered stays unknown: nothing is registered.
  EXPECT_EQ(FindClipboardFormat(u"application/x-unknown"), 0u);
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, (std::vector<std::string>{"TZozIvozedOrer Cells", "text/plain", "text/rtf",
                                             "text/uri-list"}));
}

TEST_F(DragFormatsTest, AnOversizedOrRefusedTransferReadsAsNothing) {
  TDragRef<TForeignDataObject> data(new TForeignDataObject(
      {"UTF8_STRING", "text/rtf"}, [&](const std::string& target, std::string& bytes) {
        if (target == "text/rtf") return false;
        bytes.assign(MaxForeignTransfer + 1, 'a');
        return true;
      }));
  FORMATETC wanted;
  STGMEDIUM medium;
  for (UINT format : {CF_UNICODETEXT, RegisterClipboardFormat(CFSTR_RTF)}) {
    wanted.cfFormat = format;
    EXPECT_EQ(data->QueryGetData(&wanted), S_OK);  // listed, as the targets say
    EXPECT_EQ(data->GetData(&wanted, &medium), DV_E_FORMATETC);
    EXPECT_EQ(medium.hGlobal, nullptr);
  }
}

}  // namespace
