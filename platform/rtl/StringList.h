// TStrings, the abstract list of strings with an object beside each, and TStringList, the list that
// stores them: sorting, duplicates, case rules, name=value pairs, delimited text and files.
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/List.h"
#include "platform/rtl/Persistent.h"

DECLARE_EXCEPTION(EStringListError, EListError)

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// A descendant supplies Get, GetCount, Clear, Delete and Insert (and GetObject/PutObject when it
// keeps objects); everything else is built on them. Index errors raise EStringListError
// "List index out of bounds (%d)".
class TStrings : public TPersistent {
 public:
  TStrings() = default;
  ~TStrings() override = default;

  virtual int Add(const String& s);
  virtual int AddObject(const String& s, TObject* object);
  void Append(const String& s) { Add(s); }
  virtual void AddStrings(TStrings* strings);
  // From another TStrings: the strings, objects and text settings (separators, quote, line break).
  // The objects are shared, not copied: at most one of two lists may own them.
  void Assign(TPersistent* source) override;
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const String& s) = 0;
  virtual void InsertObject(int index, const String& s, TObject* object);
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  // The first string equal to s under CompareStrings; -1 when none.
  virtual int IndexOf(const String& s) const;
  // The first "name=value" string whose name equals the name under CompareStrings; -1 when none.
  virtual int IndexOfName(const String& name) const;
  virtual int IndexOfObject(TObject* object) const;
  // The same strings in the same order, compared exactly.
  bool Equals(const TStrings* strings) const;

  // Changes between BeginUpdate and the matching EndUpdate are announced once, at the end.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  int Count() const { return GetCount(); }
  String Strings(int index) const { return Get(index); }
  void SetStrings(int index, const String& s) { Put(index, s); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }

  // The text before the first NameValueSeparator; empty when the string has none.
  String Names(int index) const;
  // The text after the separator of the string named so; empty when there is none.
  String Values(const String& name) const;
  // Replaces or appends "name=value"; an empty value deletes the string.
  void SetValues(const String& name, const String& value);
  String ValueFromIndex(int index) const;
  void SetValueFromIndex(int index, const String& value);

  // Every string followed by LineBreak. Setting splits at CR LF, LF or CR (or at LineBreak when it
  // is not the default); a break at the very end adds no empty string.
  String Text() const { return GetTextStr(); }
  void SetText(const String& text) { SetTextStr(text); }
  // DelimitedText with ',' and '"', not strict.
  String CommaText() const;
  void SetCommaText(const String& text);
  // Strings joined with Delimiter; a string holding the delimiter, the quote or (when not strict)
  // a space or control character is quoted with QuoteChar, quotes inside doubled.
  String DelimitedText() const;
  void SetDelimitedText(const String& text);

  char16_t Delimiter() const { return FDelimiter; }
  void SetDelimiter(char16_t value) { FDelimiter = value; }
  char16_t QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char16_t value) { FQuoteChar = value; }
  bool StrictDelimiter() const { return FStrictDelimiter; }
  void SetStrictDelimiter(bool value) { FStrictDelimiter = value; }
  char16_t NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char16_t value) { FNameValueSeparator = value; }
  const String& LineBreak() const { return FLineBreak; }
  void SetLineBreak(const String& value) { FLineBreak = value; }

  // Text in UTF-8 (a UTF-8 byte order mark is skipped; UTF-16 text with its mark is read too).
  // Loading reads from the stream's position to its end and replaces the strings.
  virtual void LoadFromStream(TStream* stream);
  void LoadFromFile(const String& fileName);
  // Writes Text in UTF-8 without a byte order mark.
  virtual void SaveToStream(TStream* stream) const;
  void SaveToFile(const String& fileName) const;

 protected:
  virtual String Get(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int index) const;
  // The base replaces the string by deleting and inserting it again with its object.
  virtual void Put(int index, const String& s);
  virtual void PutObject(int index, TObject* object);
  // Called when the first BeginUpdate starts and the last EndUpdate ends.
  virtual void SetUpdateState(bool updating);
  // How strings are matched and ordered; the base ignores case by the locale (AnsiCompareText).
  virtual int CompareStrings(const String& s1, const String& s2) const;
  virtual String GetTextStr() const;
  virtual void SetTextStr(const String& text);
  [[noreturn]] void Error(const String& message, int64_t data) const;
  String JoinDelimited(char16_t delimiter, char16_t quote, bool strict) const;
  void SplitDelimited(const String& text, char16_t delimiter, char16_t quote, bool strict);
  // Runs the change between BeginUpdate and EndUpdate, ending the update when it raises.
  void WithinUpdate(const std::function<void()>& change);

 private:
  int FUpdateCount = 0;
  char16_t FDelimiter = u',';
  char16_t FQuoteChar = u'"';
  char16_t FNameValueSeparator = u'=';
  bool FStrictDelimiter = false;
  String FLineBreak = u"\n";
};

class TStringList;
// Compares the strings at two indexes of the list: negative, 0 or positive.
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

// Matching and order follow CaseSensitive: off (the default), the locale's case-insensitive
// comparison (AnsiCompareText); on, the locale's comparison (AnsiCompareStr).
class TStringList : public TStrings {
 public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : FOwnsObjects(ownsObjects) {}
  ~TStringList() override;

  // On a sorted list the string goes to its place; a string already there is ignored (dupIgnore,
  // returning the existing index), accepted or refused with EStringListError
  // "String list does not allow duplicates" (dupError).
  int Add(const String& s) override;
  int AddObject(const String& s, TObject* object) override;
  void Assign(TPersistent* source) override;
  void Clear() override;
  void Delete(int index) override;
  // On a sorted list: EStringListError "Operation not allowed on sorted list".
  void Insert(int index, const String& s) override;
  void InsertObject(int index, const String& s, TObject* object) override;
  void Exchange(int index1, int index2) override;
  // On a sorted list: EStringListError "Operation not allowed on sorted list".
  void Move(int curIndex, int newIndex) override;
  int IndexOf(const String& s) const override;

  // Binary search of a sorted list: whether s is there, and in index its position or where it
  // would go (the first of equal strings when duplicates are accepted).
  virtual bool Find(const String& s, int& index) const;
  // Sorts an unsorted list (a stable sort); a sorted list is already in order.
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates value) { FDuplicates = value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  // A sorted list is sorted again by the new rule.
  void SetCaseSensitive(bool value);
  // Objects of an owning list are deleted (Free) with their strings and with the list.
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool value) { FOwnsObjects = value; }
  int Capacity() const { return static_cast<int>(FList.capacity()); }
  void SetCapacity(int value);

  // Fired before and after every change, unless inside BeginUpdate/EndUpdate, where they fire once
  // when the update starts and once when it ends.
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  String Get(int index) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int index) const override;
  // On a sorted list: EStringListError "Operation not allowed on sorted list".
  void Put(int index, const String& s) override;
  void PutObject(int index, TObject* object) override;
  void SetUpdateState(bool updating) override;
  int CompareStrings(const String& s1, const String& s2) const override;
  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(int index, const String& s, TObject* object);

 private:
  struct TStringItem {
    String FString;
    TObject* FObject = nullptr;
  };
  void CheckIndex(int index) const;
  [[noreturn]] void SortedListError() const;
  void SortItems(const TStringListSortCompare& compare);

  std::vector<TStringItem> FList;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
};
