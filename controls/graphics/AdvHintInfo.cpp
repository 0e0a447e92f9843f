#include "controls/graphics/AdvHintInfo.h"

TAdvHintInfo::TAdvHintInfo() : FPicture(new TGDIPPicture), FNotes(new TStringList) {}

TAdvHintInfo::~TAdvHintInfo() = default;

void TAdvHintInfo::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TAdvHintInfo*>(source);
  if (s == nullptr) return;
  FTitle = s->FTitle;
  FNotes->Assign(s->FNotes.get());
  FShowHelp = s->FShowHelp;
  FPicture->Assign(s->FPicture.get());
  FWideTitle = s->FWideTitle;
  FWideNotes = s->FWideNotes;
}
