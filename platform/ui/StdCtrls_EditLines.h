// The lines of an edit's text as a TStrings (a memo's Lines): every change goes straight into the
// edit's text, and every read comes from it, so the two never disagree.
#pragma once

#include "platform/rtl/StringList.h"

class TCustomEdit;

// Every line break of the text (CR LF, LF or a lone CR) as CR LF.
String NormalizeLineBreaks(const String& text);

// The lines are the text split at its line breaks; a break at the very end starts no further
// line, so "a" + CR LF holds one line, as does "a", and the empty text holds none.
class TEditLines : public TStrings {
 public:
  explicit TEditLines(TCustomEdit* edit) : FEdit(edit) {}
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const String& s) override;

 protected:
  String Get(int index) const override;
  int GetCount() const override;
  void Put(int index, const String& s) override;
  void SetTextStr(const String& text) override;
  void SetUpdateState(bool updating) override;

 private:
  // Where line index starts and where it ends (before its break) in the text.
  void Span(int index, int& start, int& end) const;
  void CheckIndex(int index, int count) const;
  void SetEditText(const String& text);
  TCustomEdit* FEdit;
};
