// The persistent fields a list query declares, in its result's order: each names its column, its
// field class and the settings that class carries. Declared fields fix how the columns read (an
// empty stock reads 0, fixed-width texts come back trimmed, amounts show with thousands).
#pragma once

#include <initializer_list>

#include "app/FormControls.h"
#include "platform/db/DataSet.h"

// How the forms show amounts, prices and stock.
inline constexpr const char16_t* AmountFormat = u"###,###,##0.00";

// An edit of an amount, a price or a quantity: numbers only, right-aligned.
inline void AmountInput(TDataEdit* edit) {
  edit->SetEditType(TAdvEditType::etNumeric);
  edit->SetEditAlign(AdvEdit::TEditAlign::eaRight);
}

struct TFieldDecl {
  // Amount: a float field shown with AmountFormat.
  enum TKind { Largeint, Integer, Smallint, Amount, WideString, Memo, DateTime };
  TKind Kind;
  const char16_t* Name;
  const char16_t* Origin = u"";
  int Size = 0;  // a wide string's width; 0 keeps the class's default (20)
  bool FixedChar = false;
  bool AutoInc = false;  // the server gives the value on insert
};

// Makes the fields, owned by the dataset, in order. The dataset must be closed.
void DeclareFields(TDataSet* data, std::initializer_list<TFieldDecl> fields);
