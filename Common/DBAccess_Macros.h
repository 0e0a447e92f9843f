// Macros: named pieces of text that the SQL of a dataset or command component refers to with the
// macro character and the macro's name (&where). Before a statement runs, each reference is
// replaced by the macro's value, or by nothing while the macro is inactive. TMacros is kept in
// step with its owner's SQL text by Scan; Expand does the replacing.
#pragma once

#include "Common/LxParser.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Types.h"

class TStream;
class TMacros;

// The macro character, process-wide; "&" unless a program changes it before any component scans
// its SQL.
char16_t MacroChar();
void SetMacroChar(char16_t value);

// What a component that keeps macros offers them. A TMacros whose owner implements it tells the
// owner when macros change, so that the statement is built again with the new values.
class IMacroOwner {
 public:
  virtual ~IMacroOwner() = default;
  // A command component hears of every change; a dataset component only while it matters.
  virtual bool MacroOwnerIsCommand() const = 0;
  virtual bool MacroOwnerActive() const = 0;  // an open dataset
  virtual String MacroOwnerSQLText() const = 0;
  // The SQL-change handler, run without scanning the macros again and keeping the base SQL.
  virtual void MacrosChanged() = 0;
};

class TMacro : public TCollectionItem {
 public:
  explicit TMacro(TCollection* collection) : TCollectionItem(collection) {}

  const String& Name() const { return FName; }
  void SetName(const String& value) { FName = value; }
  const String& Value() const { return FValue; }
  void SetValue(const String& value);
  bool Active() const { return FActive; }
  void SetActive(bool value);

  String DisplayName() const override;
  // From another TMacro: the name directly, value and active flag through their setters.
  void Assign(TPersistent* source) override;

 private:
  String FName;
  String FValue;
  bool FActive = true;
};

class TMacros : public TCollection {
 public:
  explicit TMacros(TPersistent* owner);

  TMacro* Items(int index) const { return static_cast<TMacro*>(TCollection::Items(index)); }
  TMacro* Add() { return static_cast<TMacro*>(TCollection::Add()); }

  // Brings the collection in step with an SQL text: one macro per name referred to, in order of
  // first reference; macros that stay keep their values.
  void Scan(const String& sql);
  // Replaces every reference in the text by its macro's value (nothing for an unknown name).
  void Expand(String& sql) const;
  TMacro* FindMacro(const String& name) const;
  // Raises the database error "Macro %s not found" when absent.
  TMacro* MacroByName(const String& name) const;
  // The same macros (names, values, active flags) in the same order.
  bool IsEqual(const TMacros* other) const;
  // The value of an active macro, else the empty text.
  virtual String GetMacroValue(const TMacro* macro) const;

  TParserClass ParserClass() const { return FParserClass; }
  void SetParserClass(TParserClass value) { FParserClass = value; }

  // The stored form of the macros' values: a "d" marker, a spare byte, and per macro its name
  // length (one byte), name, value length (two bytes, little-endian), value and active flag.
  // Reading sets the values of the macros already present (found in the SQL text), in order;
  // a name the collection does not hold raises "Macro %s not found".
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  void Update(TCollectionItem* item) override;

 private:
  TPersistent* FOwner;
  TParserClass FParserClass;
};
