// The text of an INI file held line by line, so that comments, blank lines and the spelling of
// untouched entries survive a rewrite.
//
// Lines are read with blanks (every code unit up to ' ') trimmed from both ends:
//   ";..."            a comment, kept as it stands
//   "[name]"          a section header; the name is the trimmed text between the brackets
//   "name=value"      an entry: the name and the value are trimmed, the first "=" separates them
//                     (so a value may hold "="), and a value in matching single or double quotes
//                     loses them
//   anything else     kept as it stands but not an entry
// Lines before the first section are kept and belong to no section. Where a section or a name
// occurs twice, the first one is the one read and written.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

class TIniText {
 public:
  explicit TIniText(bool caseSensitive = false) : FCaseSensitive(caseSensitive) {}

  // Off (the default), section and entry names match whatever their case, Cyrillic included.
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool value);

  void Clear();
  // Replaces everything with the text's lines (split at CR LF, LF or CR).
  void Parse(const String& text);
  // The lines as the file holds them.
  std::vector<String> Lines() const;
  // The lines, each followed by a line feed.
  String Text() const;

  bool SectionExists(const String& section) const;
  bool ReadValue(const String& section, const String& name, String& value) const;
  // Changes the first entry of the name, or appends one to the section, or appends the section.
  // The caller checks the names and the value with the Problem functions first.
  void WriteValue(const String& section, const String& name, const String& value);
  bool DeleteValue(const String& section, const String& name);
  // Removes every section of the name with its lines.
  void EraseSection(const String& section);

  // Each section name once, in file order.
  std::vector<String> SectionNames() const;
  // The entry names of the section (each once), in file order.
  std::vector<String> EntryNames(const String& section) const;

  // Bytes as the INI files write them: upper-case hexadecimal digits, two a byte.
  static String HexText(const TBytes& bytes);
  // The bytes of hexadecimal text, up to the first pair that is not two digits.
  static TBytes HexBytes(const String& text);

  // Why a section name, an entry name or a value cannot be stored so that it reads back the
  // same; empty when it can.
  static String SectionProblem(const String& section);
  static String NameProblem(const String& name);
  static String ValueProblem(const String& value);

 private:
  struct TLine {
    enum TKind { lkBlank, lkComment, lkEntry, lkOther };
    TKind Kind = lkOther;
    String Text;  // the line as written
    String Name;  // entries: the trimmed name
    String Key;   // entries: the name as matched (folded unless case-sensitive)
    String Value;
  };
  struct TSection {
    String Name;
    String Key;
    std::vector<TLine> Lines;
  };

  String Fold(const String& name) const;
  TLine ParseLine(const String& line) const;
  TSection* FindSection(const String& key);
  const TSection* FindSection(const String& key) const;
  static String EntryLine(const String& name, const String& value);

  bool FCaseSensitive;
  std::vector<TLine> FPreamble;
  std::vector<TSection> FSections;
};
