// Blob streams of the in-memory dataset: what write mode does at once, reads and seeks past the
// end, the checks before writing, text of a Unicode blob, a stream without a record, and a text
// set without a stream ending as the stream would leave it.
#include <gtest/gtest.h>

#include "tests/Common/MemDS_TestData.h"

namespace {

using namespace memds_test;

class BlobFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    UseStore(ds, {{u"ID", dtInteger}, {u"DATA", dtBlob}, {u"TEXT", dtWideMemo}},
             {{1, Variant("0123456789"), Variant("Здраво")}, {2, Variant::Null(),
                                                              Variant::Null()}});
    ds.Open();
    data = static_cast<TBlobField*>(ds.FieldByName(u"DATA"));
  }

  std::string ReadAll(TStream& stream) {
    std::string text(static_cast<size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
    return text;
  }

  TMemDataSet ds{nullptr};
  TBlobField* data = nullptr;
};

TEST_F(BlobFixture, OpeningForWriteEmptiesTheBlobAtOnce) {
  ds.Edit();
  {
    auto stream = ds.CreateBlobStream(data, bmWrite);
    EXPECT_EQ(stream->Size(), 0);
    EXPECT_TRUE(data->IsNull());
  }
  EXPECT_TRUE(data->Modified()) << "a write stream marks the field even when nothing was written";
  EXPECT_EQ(data->AsAnsiString(), "");
  ds.Cancel();
  EXPECT_EQ(data->AsAnsiString(), "0123456789");
  EXPECT_FALSE(data->Modified());
}

TEST_F(BlobFixture, ReadingAndSeekingPastTheEnd) {
  auto stream = ds.CreateBlobStream(data, bmRead);
  char buffer[32] = {};
  EXPECT_EQ(stream->Seek(7, soBeginning), 7);
  EXPECT_EQ(stream->Read(buffer, 32), 3);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(stream->Read(buffer, 32), 0);
  EXPECT_EQ(stream->Seek(100, soBeginning), 100);
  EXPECT_EQ(stream->Read(buffer, 1), 0);
  EXPECT_EQ(stream->Seek(-4, soEnd), 6);
  EXPECT_EQ(stream->Read(buffer, 2), 2);
  EXPECT_EQ(stream->Seek(0, soCurrent), 8);
  // A read stream never writes.
  EXPECT_EQ(stream->Write("xx", 2), 0);
  EXPECT_EQ(ReadAll(*stream), "0123456789");
}

TEST_F(BlobFixture, WritingNeedsAnEditStateAndAWritableField) {
  EXPECT_EQ(MessageOf([&] { ds.CreateBlobStream(data, bmWrite); }),
            u"Dataset not in edit or insert mode");
  EXPECT_EQ(MessageOf([&] { ds.CreateBlobStream(data, bmReadWrite); }),
            u"Dataset not in edit or insert mode");
  data->SetReadOnly(true);
  auto reader = ds.CreateBlobStream(data, bmRead);
  EXPECT_EQ(ReadAll(*reader), "0123456789");
  ds.Edit();
  EXPECT_EQ(MessageOf([&] { ds.CreateBlobStream(data, bmWrite); }),
            u"Field 'DATA' cannot be modified");
  // A field already written in this edit is not checked again.
  data->SetModified(true);
  EXPECT_EQ(MessageOf([&] { ds.CreateBlobStream(data, bmReadWrite); }), u"");
  ds.Cancel();
}

TEST_F(BlobFixture, ReadWriteStreamsEditInPlaceAndPostKeepsTheEdit) {
  ds.Edit();
  {
    auto stream = ds.CreateBlobStream(data, bmReadWrite);
    stream->Seek(0, soEnd);
    stream->WriteBuffer("AB", 2);
    stream->SetPosition(0);
    stream->WriteBuffer("x", 1);
    EXPECT_EQ(ReadAll(*stream), "x123456789AB");
    stream->SetSize(4);
  }
  ds.Post();
  EXPECT_EQ(data->AsAnsiString(), "x123");
  EXPECT_FALSE(data->Modified());
}

TEST_F(BlobFixture, AWideMemoReadsAndWritesAsUtf8Text) {
  TField* text = ds.FieldByName(u"TEXT");
  EXPECT_EQ(text->DataType(), ftMemo);
  EXPECT_EQ(text->AsString(), u"Здраво");
  auto reader = ds.CreateBlobStream(text, bmRead);
  EXPECT_EQ(reader->Size(), 12) << "six Cyrillic letters, two bytes each";
  reader.reset();
  ds.Edit();
  text->SetAsString(u"Збогум, свете");
  ds.Post();
  EXPECT_EQ(text->AsString(), u"Збогум, свете");
  EXPECT_EQ(ds.GetBlob(text)->GetAsWideString(), u"Збогум, свете");
}

TEST_F(BlobFixture, AStreamWithoutARecordMovesNothing) {
  TMemDataSet empty(nullptr);
  UseStore(empty, {{u"DATA", dtBlob}});
  empty.Open();
  auto stream = empty.CreateBlobStream(empty.FieldByName(u"DATA"), bmWrite);
  char c = 'x';
  EXPECT_EQ(stream->Write(&c, 1), 0);
  EXPECT_EQ(stream->Read(&c, 1), 0);
  EXPECT_EQ(stream->Size(), 0);
}

TEST_F(BlobFixture, OnlyBlobFieldsHaveStreams) {
  EXPECT_THROW(ds.CreateBlobStream(ds.FieldByName(u"ID"), bmRead), EInvalidCast);
  EXPECT_EQ(MessageOf([&] { ds.GetBlobByName(u"ID"); }), u"Field is not BLOB");
  ASSERT_NE(ds.GetBlobByName(u"DATA"), nullptr);
  EXPECT_EQ(ds.GetBlobByName(u"DATA")->GetAsAnsiString(), "0123456789");
}

// SetAsString stores the text without a stream where it can; whatever the case, the record, the
// field's flag, the change events and the errors must be those of writing the text's UTF-8
// through a write stream (SetAsAnsiString still goes that way).
TEST_F(BlobFixture, SettingTextEndsAsWritingItsUtf8ThroughAStream) {
  enum class Before { Edit, Browse, ReadOnly, ReadOnlyWritten };
  struct Case {
    const char* name;
    const char16_t* field;
    String text;
    Before before;
  };
  const String loneSurrogate = String(u"a") + char16_t(0xD800) + u"b";
  const Case cases[] = {
      {"memo, Cyrillic", u"TEXT", u"Донација", Before::Edit},
      {"memo, emptied", u"TEXT", u"", Before::Edit},
      {"memo, a pair beyond 16 bits", u"TEXT", u"x\U0001F600y", Before::Edit},
      {"memo, an unpaired surrogate", u"TEXT", loneSurrogate, Before::Edit},
      {"bytes, Cyrillic", u"DATA", u"Донација", Before::Edit},
      {"bytes, emptied", u"DATA", u"", Before::Edit},
      {"memo, not editing", u"TEXT", u"нов", Before::Browse},
      {"memo, read-only", u"TEXT", u"нов", Before::ReadOnly},
      {"memo, read-only but written in this edit", u"TEXT", u"нов", Before::ReadOnlyWritten},
      {"bytes, read-only", u"DATA", u"нов", Before::ReadOnly},
  };
  struct Outcome {
    String error;
    bool modified = false;
    int changes = 0;
    bool isNull = false;
    AnsiString value;
    AnsiString afterCancel;
    bool operator==(const Outcome&) const = default;
  };
  auto run = [&](const Case& c, bool throughStream) {
    TMemDataSet set(nullptr);
    UseStore(set, {{u"ID", dtInteger}, {u"DATA", dtBlob}, {u"TEXT", dtWideMemo}},
             {{1, Variant("0123456789"), Variant("Здраво")}});
    set.Open();
    auto* field = static_cast<TBlobField*>(set.FieldByName(c.field));
    Outcome out;
    field->OnChange = [&out](TField*) { ++out.changes; };
    if (c.before != Before::Browse) set.Edit();
    if (c.before == Before::ReadOnly || c.before == Before::ReadOnlyWritten)
      field->SetReadOnly(true);
    if (c.before == Before::ReadOnlyWritten) field->SetModified(true);
    out.error = MessageOf([&] {
      if (throughStream)
        field->SetAsAnsiString(UTF8Encode(c.text));
      else
        field->SetAsString(c.text);
    });
    out.modified = field->Modified();
    out.isNull = field->IsNull();
    out.value = field->AsAnsiString();
    if (set.State() == dsEdit) set.Cancel();
    out.afterCancel = field->AsAnsiString();
    return out;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome direct = run(c, false);
    const Outcome stream = run(c, true);
    EXPECT_EQ(direct.error, stream.error);
    EXPECT_EQ(direct.modified, stream.modified);
    EXPECT_EQ(direct.changes, stream.changes);
    EXPECT_EQ(direct.isNull, stream.isNull);
    EXPECT_EQ(direct.value, stream.value);
    EXPECT_EQ(direct.afterCancel, stream.afterCancel);
  }
  // The cases do differ: a write that went through fired one change and kept the text.
  const Outcome written = run(cases[0], false);
  EXPECT_EQ(written.changes, 1);
  EXPECT_EQ(written.value, UTF8Encode(u"Донација"));
  EXPECT_EQ(written.afterCancel, UTF8Encode(u"Здраво"));
  EXPECT_NE(run(cases[7], false).error, u"");
}

}  // namespace
