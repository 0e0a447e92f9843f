#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/rtl/UnicodeText.h"

namespace {

std::string Read(TStream& stream, int32_t count) {
  std::string buffer(count, '\0');
  buffer.resize(stream.Read(buffer.data(), count));
  return buffer;
}

void WriteText(TStream& stream, const std::string& text) {
  stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

std::string Content(TCustomMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), stream.Size());
}

template <class E>
void ExpectError(const std::function<void()>& call, const String& message) {
  try {
    call();
    ADD_FAILURE() << "no error";
  } catch (const E& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

TEST(MemoryStreamTest, ReadWriteAndSeek) {
  TMemoryStream stream;
  WriteText(stream, "hello");
  EXPECT_EQ(stream.Position(), 5);
  EXPECT_EQ(stream.Size(), 5);
  EXPECT_EQ(stream.Seek(0, soBeginning), 0);
  EXPECT_EQ(Read(stream, 3), "hel");
  EXPECT_EQ(Read(stream, 10), "lo");  // a short read at the end
  EXPECT_EQ(Read(stream, 1), "");     // and nothing after it
  EXPECT_EQ(stream.Seek(-2, soEnd), 3);
  EXPECT_EQ(stream.Seek(1, soCurrent), 4);
  EXPECT_EQ(Read(stream, 5), "o");
  stream.SetPosition(1);
  WriteText(stream, "EL");  // overwrites in place
  EXPECT_EQ(Content(stream), "hELlo");
  EXPECT_EQ(stream.Size(), 5);
}

TEST(MemoryStreamTest, PositionsPastTheEndAndBeforeTheStart) {
  TMemoryStream stream;
  WriteText(stream, "ab");
  stream.SetPosition(5);
  EXPECT_EQ(Read(stream, 1), "");
  EXPECT_EQ(stream.Size(), 2);  // seeking alone does not grow the stream
  WriteText(stream, "z");
  EXPECT_EQ(Content(stream), std::string("ab\0\0\0z", 6));  // the gap is zeros

  stream.Seek(-10, soCurrent);  // before the start: nothing moves there
  EXPECT_EQ(stream.Position(), -4);
  char byte = 'q';
  EXPECT_EQ(stream.Read(&byte, 1), 0);
  EXPECT_EQ(stream.Write(&byte, 1), 0);
  ExpectError<EReadError>([&] { stream.ReadBuffer(&byte, 1); }, u"Stream read error");
  ExpectError<EWriteError>([&] { stream.WriteBuffer(&byte, 1); }, u"Stream write error");
  EXPECT_EQ(stream.Size(), 6);
}

TEST(MemoryStreamTest, ReadBufferNeedsEveryByte) {
  TMemoryStream stream;
  WriteText(stream, "abc");
  stream.SetPosition(1);
  char buffer[4] = {};
  ExpectError<EReadError>([&] { stream.ReadBuffer(buffer, 3); }, u"Stream read error");
  stream.SetPosition(0);
  stream.ReadBuffer(buffer, 3);
  EXPECT_STREQ(buffer, "abc");
  stream.ReadBuffer(buffer, 0);  // nothing asked, nothing missing
  ExpectError<EReadError>([&] { stream.ReadBuffer(buffer, -1); }, u"Stream read error");
}

TEST(MemoryStreamTest, SizeChangesAndGrowth) {
  TMemoryStream stream;
  for (int i = 0; i < 100000; ++i) {
    char c = static_cast<char>('a' + i % 26);
    stream.WriteBuffer(&c, 1);
  }
  EXPECT_EQ(stream.Size(), 100000);
  EXPECT_GE(stream.Capacity(), 100000);
  EXPECT_EQ(static_cast<const char*>(stream.Memory())[99999], 'a' + 99999 % 26);

  stream.SetSize(10);  // the position past the new end moves to it
  EXPECT_EQ(stream.Position(), 10);
  stream.SetPosition(4);
  stream.SetSize(12);  // growing fills with zeros and keeps the position
  EXPECT_EQ(stream.Position(), 4);
  EXPECT_EQ(Content(stream), std::string("abcdefghij\0\0", 12));
  stream.SetCapacity(1000);
  EXPECT_GE(stream.Capacity(), 1000);
  EXPECT_EQ(Content(stream).substr(0, 3), "abc");  // memory moved, content did not

  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_EQ(stream.Memory(), nullptr);
}

TEST(MemoryStreamTest, CopyFromAndLoadSave) {
  TMemoryStream source;
  WriteText(source, "0123456789");
  TMemoryStream target;

  source.SetPosition(7);
  EXPECT_EQ(target.CopyFrom(&source, 0), 10);  // 0 copies everything, from the start
  EXPECT_EQ(Content(target), "0123456789");

  source.SetPosition(2);
  target.Clear();
  EXPECT_EQ(target.CopyFrom(&source, 3), 3);  // a count copies from the position
  EXPECT_EQ(Content(target), "234");
  EXPECT_EQ(source.Position(), 5);
  EXPECT_THROW(target.CopyFrom(&source, 6), EReadError);  // only 5 bytes left

  TMemoryStream saved;
  source.SetPosition(9);
  source.SaveToStream(&saved);  // the whole content, whatever the position
  EXPECT_EQ(Content(saved), "0123456789");
  TMemoryStream loaded;
  WriteText(loaded, "previous content that is longer");
  saved.SetPosition(4);
  loaded.LoadFromStream(&saved);
  EXPECT_EQ(Content(loaded), "0123456789");
}

TEST(MemoryStreamTest, BytesAndStringStreams) {
  TBytesStream bytes(TBytes{1, 2, 3});
  EXPECT_EQ(bytes.Size(), 3);
  EXPECT_EQ(bytes.Position(), 0);
  bytes.Seek(0, soEnd);
  uint8_t four = 4;
  bytes.WriteBuffer(&four, 1);
  EXPECT_EQ(bytes.Bytes(), (TBytes{1, 2, 3, 4}));  // exactly the content, never the capacity
  bytes.SetSize(2);
  EXPECT_EQ(bytes.Bytes(), (TBytes{1, 2}));

  TStringStream text(String(u"жаба!"));
  EXPECT_EQ(text.Size(), 9);  // UTF-8
  EXPECT_EQ(text.ReadString(4), u"жа");
  EXPECT_EQ(text.ReadString(100), u"ба!");
  EXPECT_EQ(text.ReadString(1), u"");
  text.WriteString(u" ok");
  EXPECT_EQ(text.DataString(), u"жаба! ok");
  TStringStream raw(AnsiString("\xD0\xB6"));
  EXPECT_EQ(raw.DataString(), u"ж");
}

class FileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/filestream-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    FFolder = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(FFolder); }
  String PathOf(const std::string& name) { return UTF8ToString(FFolder + "/" + name); }

  std::string FFolder;
};

TEST_F(FileStreamTest, CreateWriteReopenAndRead) {
  String path = PathOf("данные.bin");
  {
    TFileStream file(path, fmCreate | fmShareExclusive);
    WriteText(file, "hello world");
    EXPECT_EQ(file.Size(), 11);
    EXPECT_EQ(file.FileName(), path);
  }
  {
    TFileStream file(path, fmOpenReadWrite | fmShareDenyNone);
    file.Seek(-5, soEnd);
    EXPECT_EQ(Read(file, 100), "world");
    file.SetPosition(0);
    WriteText(file, "HELLO");
    file.SetSize(8);  // truncates
    EXPECT_EQ(file.Size(), 8);
  }
  TFileStream file(path, fmOpenRead);
  EXPECT_EQ(Read(file, 100), "HELLO wo");
  char byte = 'x';
  EXPECT_EQ(file.Write(&byte, 1), 0);  // opened for reading only
  ExpectError<EWriteError>([&] { file.WriteBuffer(&byte, 1); }, u"Stream write error");

  TFileStream again(path, fmCreate);  // creating an existing file empties it
  EXPECT_EQ(again.Size(), 0);
}

TEST_F(FileStreamTest, WritingPastTheEndLeavesZeros) {
  String path = PathOf("gap.bin");
  TFileStream file(path, fmCreate);
  file.SetPosition(3);
  WriteText(file, "x");
  file.SetPosition(0);
  EXPECT_EQ(Read(file, 10), std::string("\0\0\0x", 4));
}

TEST_F(FileStreamTest, OpenAndCreateErrorsCarryTheSystemText) {
  String missing = PathOf("missing.txt");
  ExpectError<EFOpenError>([&] { TFileStream(missing, fmOpenRead); },
                           u"Cannot open file \"" + missing + u"\". No such file or directory");
  String folder = UTF8ToString(FFolder);
  ExpectError<EFOpenError>([&] { TFileStream(folder, fmOpenRead); },
                           u"Cannot open file \"" + folder + u"\". Is a directory");
  String nowhere = PathOf("no/such/folder.txt");
  ExpectError<EFCreateError>([&] { TFileStream(nowhere, fmCreate); },
                             u"Cannot create file \"" + nowhere + u"\". No such file or directory");
  // Both are stream errors for a caller that does not care which.
  EXPECT_THROW(TFileStream(missing, fmOpenWrite), EStreamError);
}

TEST_F(FileStreamTest, MemoryStreamToAndFromFile) {
  String path = PathOf("copy.bin");
  TMemoryStream stream;
  WriteText(stream, std::string("bytes\0and more", 14));
  stream.SaveToFile(path);
  TMemoryStream loaded;
  loaded.LoadFromFile(path);
  EXPECT_EQ(Content(loaded), Content(stream));
  EXPECT_THROW(loaded.LoadFromFile(PathOf("absent")), EFOpenError);
  EXPECT_EQ(Content(loaded), Content(stream));
}

}  // namespace
