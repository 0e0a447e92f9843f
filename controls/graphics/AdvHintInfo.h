// The settings of a rich hint: a title, lines of notes, a picture and whether a help line shows.
// Controls publish one as their OfficeHint; the record only holds and copies its content.
#pragma once

#include <memory>

#include "controls/graphics/GDIPicture.h"
#include "platform/rtl/StringList.h"

class TAdvHintInfo : public TPersistent {
 public:
  TAdvHintInfo();
  ~TAdvHintInfo() override;
  // From another hint record: title, notes, help flag, picture and the wide forms. Any other
  // source is ignored, without an error.
  void Assign(TPersistent* source) override;

  const String& Title() const { return FTitle; }
  void SetTitle(const String& value) { FTitle = value; }
  TStrings* Notes() const { return FNotes.get(); }
  // Copies the strings into the owned list.
  void SetNotes(TStrings* value) { FNotes->Assign(value); }
  TGDIPPicture* Picture() const { return FPicture.get(); }
  // Copies the picture into the owned one.
  void SetPicture(TGDIPPicture* value) { FPicture->Assign(value); }
  bool ShowHelp() const { return FShowHelp; }
  void SetShowHelp(bool value) { FShowHelp = value; }
  const String& WideTitle() const { return FWideTitle; }
  void SetWideTitle(const String& value) { FWideTitle = value; }
  const String& WideNotes() const { return FWideNotes; }
  void SetWideNotes(const String& value) { FWideNotes = value; }

 private:
  std::unique_ptr<TGDIPPicture, TObjectFree> FPicture;
  bool FShowHelp = false;
  std::unique_ptr<TStringList, TObjectFree> FNotes;
  String FTitle;
  String FWideTitle;
  String FWideNotes;
};
