// Edit masks and the masked edit.
//
// An edit mask has up to three fields separated by ";": the mask itself, whether the literal
// characters are saved in Text ("0": not saved; anything else or nothing: saved), and the blank
// character shown where nothing is typed (default "_"). In the mask:
//   L / l   a letter, required / optional        0 / 9   a digit, required / optional
//   A / a   a letter or digit, required / opt.   #       a digit, "+" or "-", optional
//   C / c   any character, required / optional
//   > / <   the following characters go upper / lower case; "<>" ends that
//   !       optional characters missing from a value go in front (leading blanks)
//   \       the next character is a literal      _       a literal blank
//   : and /  the locale's time and date separators
// Every other character is a literal, shown and skipped over by the caret's typing.
//
// The edit text is what the edit shows: one character per mask position, literals included and
// the blank character where nothing was typed. Text is the value: the typed characters (blanks
// as spaces) with the literals when they are saved.
#pragma once

#include <vector>

#include "platform/ui/StdCtrls.h"

// The error of a value that does not satisfy its mask.
DECLARE_EXCEPTION(EDBEditError, Exception)

// A mask, parsed: what each position of the edit text holds and takes.
class TEditMaskFormat {
 public:
  enum TClass { mkLiteral, mkLetter, mkAlphaNumeric, mkAny, mkDigit, mkDigitOrSign };
  enum TCase { caNone, caUpper, caLower };
  struct TPosition {
    TClass Class = mkLiteral;
    bool Required = false;
    TCase Case = caNone;
    char16_t Literal = 0;  // for literal positions
  };

  TEditMaskFormat() = default;
  explicit TEditMaskFormat(const String& editMask);

  bool Empty() const { return FPositions.empty(); }
  int Length() const { return static_cast<int>(FPositions.size()); }
  bool SaveLiterals() const { return FSaveLiterals; }
  char16_t Blank() const { return FBlank; }
  const TPosition& Position(int index) const { return FPositions[static_cast<size_t>(index)]; }
  bool IsInput(int index) const {
    return index >= 0 && index < Length() && Position(index).Class != mkLiteral;
  }

  // Whether position index takes ch; ch comes back in the position's case.
  bool Accepts(int index, char16_t& ch) const;
  // The first input position at or after from, the last one before `before` (-1: none).
  int NextInput(int from) const;
  int PreviousInput(int before) const;

  // The edit text of nothing typed.
  String EmptyEditText() const;
  // The edit text of a value given as Text is (with or without the literals).
  String EditTextFromText(const String& text) const;
  // The edit text of a value given as an edit text: literals forced, a space or the blank
  // character left blank.
  String EditTextFromEditText(const String& text) const;
  String TextFromEditText(const String& editText) const;
  // Whether every required position holds a character it takes, and every typed character fits
  // its position; else where the first fault is. Nothing typed at all counts as no value, which
  // is not an incomplete one.
  bool Validate(const String& editText, int& faultPosition) const;

 private:
  // Puts a character into an input position of an edit text (a space leaves it blank).
  void Place(String& editText, int index, char16_t ch) const;
  String FillInputs(const String& characters) const;
  String FillFields(const String& text) const;

  std::vector<TPosition> FPositions;
  bool FSaveLiterals = true;
  bool FLeadingBlanks = false;
  char16_t FBlank = u'_';
};

// The mask's second and third fields.
bool MaskGetMaskSave(const String& editMask);
char16_t MaskGetMaskBlank(const String& editMask);
// A value (given as Text would hold it under the mask) formatted as the mask shows it: literals
// in place, the blank character where the value has nothing.
String FormatMaskText(const String& editMask, const String& value);

// An edit whose text follows an edit mask: typing puts a character into the next position that
// takes it and refuses (with a beep) one that no position takes; Backspace and Delete blank
// positions; paste types the clipboard's text; Esc gives back the value the edit had when it
// took the focus. Leaving the edit with a value the user made incomplete raises EDBEditError
// and keeps the focus in the edit. Without a mask it is a plain edit.
class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* owner);

  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& value);
  bool IsMasked() const { return !FMask.Empty(); }
  // The text as the edit shows it (the window's text).
  String EditText() { return TControl::Text(); }
  void SetEditText(const String& value);
  // The value: the edit text without its blanks (and literals, unless saved).
  String Text();
  void SetText(const String& value);

  // Raises EDBEditError when the user left the value incomplete, with the caret at the fault.
  virtual void ValidateEdit();
  // Whether an edit text satisfies the mask; else the position of the first fault.
  virtual bool Validate(const String& value, int& pos) const;
  // Gives back the edit text the edit had before the user's changes.
  void Reset();

  void Dispatch(TMessage& message) override;

 protected:
  virtual void ValidateError();
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  // The edit text with the selection's input positions blanked.
  String BlankSelection() const;
  void TypeCharacter(char16_t ch);
  void DeleteBackward();
  void DeleteForward();
  void PasteText(const String& text);
  void Refuse();

  String FEditMask;
  TEditMaskFormat FMask;
  String FOldValue;  // the edit text to go back to
  bool FReEntering = false;
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};
