// Byte fields and blob fields. Blob values are read and written through the dataset's blob
// stream (CreateBlobStream); memo text is UTF-8 in the stream, wide memo text UTF-16.
#pragma once

#include "platform/db/Fields.h"

class TStream;

// ftBytes (Size bytes) and ftVarBytes (a 16-bit length and up to Size bytes).
class TBinaryField : public TField {
 public:
  explicit TBinaryField(TComponent* owner);
  void SetAsBytes(const TBytes& value) override;
  // Each character is one byte, as 8-bit text holds bytes; a text with a character beyond one
  // byte is written as its UTF-8 bytes.
  void SetAsString(const String& value) override;

 protected:
  TBytes GetAsBytes() override;
  String GetAsString() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  void GetText(String& text, bool displayText) override;
  void CheckTypeSize(int value) override;
};

class TBytesField : public TBinaryField {
 public:
  explicit TBytesField(TComponent* owner);

 protected:
  int GetDataSize() const override { return Size(); }
};

class TVarBytesField : public TBinaryField {
 public:
  explicit TVarBytesField(TComponent* owner);

 protected:
  int GetDataSize() const override { return Size() + 2; }
};

// ftBlob and the other binary large objects; TMemoField and TWideMemoField hold text.
class TBlobField : public TField {
 public:
  explicit TBlobField(TComponent* owner);
  bool IsBlob() const override { return true; }
  TFieldType BlobType() const { return DataType(); }
  void SetBlobType(TFieldType value);
  // Whether the value was written since the record was read.
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }
  int BlobSize();
  // Empties the value (a write stream that writes nothing).
  void Clear() override;
  void LoadFromStream(TStream* stream);
  void SaveToStream(TStream* stream);
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);
  void SetAsBytes(const TBytes& value) override;
  void SetAsString(const String& value) override;
  void SetAsAnsiString(const AnsiString& value) override;

 protected:
  TBytes GetAsBytes() override;
  String GetAsString() override;
  AnsiString GetAsAnsiString() override;
  Variant GetAsVariant() override;
  void SetVarValue(const Variant& value) override;
  // "(Blob)", "(BLOB)" when it holds a value; memo fields show their class the same way.
  void GetText(String& text, bool displayText) override;
  void SetFieldType(TFieldType value) override;
  void CheckTypeSize(int) override {}

 private:
  bool FModified = false;
};

// ftMemo: text, UTF-8 in the stream.
class TMemoField : public TBlobField {
 public:
  explicit TMemoField(TComponent* owner);
  bool IsValidChar(char16_t) override { return true; }

 protected:
  Variant GetAsVariant() override;
};

// ftWideMemo: text, UTF-16 in the stream.
class TWideMemoField : public TBlobField {
 public:
  explicit TWideMemoField(TComponent* owner);
  void SetAsString(const String& value) override;
  void SetAsWideString(const String& value) override;

 protected:
  String GetAsString() override;
  String GetAsWideString() override;
  Variant GetAsVariant() override;
};

// ftGraphic: a picture's bytes.
class TGraphicField : public TBlobField {
 public:
  explicit TGraphicField(TComponent* owner);
};
