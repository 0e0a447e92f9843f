// INI files: the abstract TCustomIniFile with its typed readers and writers, TIniFile (every call
// goes to the file) and TMemIniFile (the file held in memory until UpdateFile).
//
// Files are UTF-8 text (a UTF-8 byte order mark is skipped on reading and kept on rewriting; a
// UTF-16 file with its mark is read too and rewritten as UTF-8). Sections are "[name]" lines,
// entries "name=value" lines, and lines starting with ";" are comments, which a rewrite keeps.
// Section and entry names match whatever their case. A file name without a folder is taken in the
// current directory at the time the object is made. Files are replaced atomically (a temporary
// file is written, synced and renamed over the old one), so a crash never leaves half a file.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

class TStream;
class TStrings;
class TIniText;

// A file that cannot be written: "Unable to write to %s" with the file name, or a name or value
// that would not read back as it was written.
DECLARE_EXCEPTION(EIniFileException, Exception)

class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(const String& fileName) : FFileName(fileName) {}
  ~TCustomIniFile() override = default;

  const String& FileName() const { return FFileName; }

  // The base: whether the section has at least one entry.
  virtual bool SectionExists(const String& section);
  virtual bool ValueExists(const String& section, const String& ident);

  virtual String ReadString(const String& section, const String& ident, const String& def) = 0;
  virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
  // Decimal or hexadecimal ("$1F", "0x1F") text; anything else gives the default.
  virtual int32_t ReadInteger(const String& section, const String& ident, int32_t def);
  virtual void WriteInteger(const String& section, const String& ident, int32_t value);
  // An integer other than 0 is true; written as "1" or "0".
  virtual bool ReadBool(const String& section, const String& ident, bool def);
  virtual void WriteBool(const String& section, const String& ident, bool value);
  // Text in the process-wide FormatSettings; an empty or unreadable text gives the default.
  virtual double ReadFloat(const String& section, const String& ident, double def);
  virtual TDateTime ReadDate(const String& section, const String& ident, TDateTime def);
  virtual TDateTime ReadDateTime(const String& section, const String& ident, TDateTime def);
  virtual TDateTime ReadTime(const String& section, const String& ident, TDateTime def);
  virtual void WriteFloat(const String& section, const String& ident, double value);
  virtual void WriteDate(const String& section, const String& ident, TDateTime value);
  virtual void WriteDateTime(const String& section, const String& ident, TDateTime value);
  virtual void WriteTime(const String& section, const String& ident, TDateTime value);
  // Bytes as upper-case hexadecimal text. Reading writes the bytes into the stream at its position
  // and moves the position back to where they start; it returns their number (0 when the entry is
  // missing or empty). Hexadecimal text is read up to the first character that is not a digit.
  virtual int32_t ReadBinaryStream(const String& section, const String& ident, TStream* value);
  // Writes the stream from its position to its end.
  virtual void WriteBinaryStream(const String& section, const String& ident, TStream* value);

  // The entry names of a section, the section names, and the "name=value" lines of a section;
  // the list is emptied first.
  virtual void ReadSection(const String& section, TStrings* strings) = 0;
  virtual void ReadSections(TStrings* strings) = 0;
  virtual void ReadSectionValues(const String& section, TStrings* strings);
  virtual void EraseSection(const String& section) = 0;
  virtual void DeleteKey(const String& section, const String& ident) = 0;
  // Writes pending changes to the file.
  virtual void UpdateFile() = 0;

 protected:
  void SetFileName(const String& fileName) { FFileName = fileName; }
  // The stream's bytes from its position to its end.
  static TBytes RestOfStream(TStream* stream);
  // Writes the bytes at the stream's position, moves the position back to where they start and
  // returns their number.
  static int32_t PutBytes(TStream* stream, const TBytes& bytes);

 private:
  String FFileName;
};

// Every read looks at the file as it is now and every write changes the file at once, so other
// objects and processes see it. A missing file reads as empty; the first write creates it (its
// folder must exist).
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const String& fileName);
  ~TIniFile() override;

  // Whether the file has the section, even one without entries.
  bool SectionExists(const String& section) override;
  bool ValueExists(const String& section, const String& ident) override;
  String ReadString(const String& section, const String& ident, const String& def) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void ReadSectionValues(const String& section, TStrings* strings) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  // Nothing is pending: every write has already reached the file.
  void UpdateFile() override {}

 private:
  // The file as it is now (empty when it is missing or unreadable).
  TIniText& Current();
  // Reads the file, applies the change and writes the file back when the change says it changed
  // something. A file that cannot be read, or is not UTF-8, is not rewritten (EIniFileException).
  void Change(const std::function<bool(TIniText& text)>& change);

  std::string FPath;
  std::unique_ptr<TIniText> FText;
};

// The whole file is read when the object is made (a file that exists but cannot be read raises
// EFOpenError, so that nothing is later written over it) and written by UpdateFile only.
class TMemIniFile : public TCustomIniFile {
 public:
  explicit TMemIniFile(const String& fileName);
  ~TMemIniFile() override;

  // Whether the content has the section, even one without entries.
  bool SectionExists(const String& section) override;
  bool ValueExists(const String& section, const String& ident) override;
  String ReadString(const String& section, const String& ident, const String& def) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void ReadSectionValues(const String& section, TStrings* strings) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  // Writes the content to the file (EIniFileException "Unable to write to %s" when it fails).
  void UpdateFile() override;

  void Clear();
  // The lines of the file as UpdateFile would write them; the strings are replaced.
  void GetStrings(TStrings* list);
  // Replaces the content with the lines of the list.
  void SetStrings(TStrings* list);
  // A new file name for UpdateFile; with reload, the content is read from that file.
  void Rename(const String& fileName, bool reload);
  bool CaseSensitive() const;
  void SetCaseSensitive(bool value);

 private:
  void LoadValues();

  std::string FPath;
  std::unique_ptr<TIniText> FText;
  bool FHadBom = false;
  // The file was not UTF-8: rewriting it would replace its undecodable bytes.
  bool FUndecodable = false;
};
