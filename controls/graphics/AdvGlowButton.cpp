// The glow button's creation, its properties and what it copies from another glow button.
#include "controls/graphics/AdvGlowButton.h"

#include "platform/rtl/Format.h"

using namespace AdvGlowButton;

TAdvCustomGlowButton::TAdvCustomGlowButton(TComponent* owner)
    : TCustomControl(owner),
      FAppearance(new TGlowButtonAppearance),
      FPicture(new TGDIPPicture),
      FDisabledPicture(new TGDIPPicture),
      FHotPicture(new TGDIPPicture),
      FNotes(new TStringList),
      FNotesFont(std::make_unique<TFont>()),
      FOfficeHint(new TAdvHintInfo),
      FImagesLink(new TChangeLink),
      FDisabledImagesLink(new TChangeLink),
      FHotImagesLink(new TChangeLink) {
  // No double clicks: a second quick click arrives as another press.
  SetControlStyle({csCaptureMouse, csClickEvents, csSetCaption, csOpaque});
  SetBounds(Left(), Top(), 100, 41);
  SetDoubleBuffered(true);
  SetTabStop(false);
  FNotesFont->SetName(u"Tahoma");
  FNotesFont->SetSize(8);
  FAppearance->OnChange = [this](TObject*) { Invalidate(); };
  FPicture->OnChange = [this](TObject*) { UpdateAutoSize(); };
  FDisabledPicture->OnChange = [this](TObject*) { UpdateAutoSize(); };
  FNotes->OnChange = [this](TObject*) { Invalidate(); };
  FNotesFont->OnChange = [this](TObject*) { Invalidate(); };
  FImagesLink->OnChange = [this](TObject*) {
    if (HandleAllocated()) Invalidate();
  };
  FDisabledImagesLink->OnChange = [this](TObject*) { Invalidate(); };
  FHotImagesLink->OnChange = [this](TObject*) { Invalidate(); };
}

TAdvCustomGlowButton::~TAdvCustomGlowButton() {
  for (auto* list : {FImages, FDisabledImages, FHotImages})
    if (list != nullptr) list->RemoveFreeNotification(this);
  if (FImages != nullptr) FImages->UnRegisterChanges(FImagesLink.get());
  if (FDisabledImages != nullptr) FDisabledImages->UnRegisterChanges(FDisabledImagesLink.get());
  if (FHotImages != nullptr) FHotImages->UnRegisterChanges(FHotImagesLink.get());
  if (FDropDownMenu != nullptr) FDropDownMenu->RemoveFreeNotification(this);
}

String TAdvCustomGlowButton::Version() const {
  uint32_t v = GetVersionNr();
  return Format(u"%d.%d.%d.%d",
                {int(v >> 24), int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)});
}

void TAdvCustomGlowButton::SetShowCaption(bool v) {
  if (FShowCaption == v) return;
  FShowCaption = v;
  UpdateAutoSize();
  Invalidate();
}

void TAdvCustomGlowButton::SetNotes(TStrings* value) { FNotes->Assign(value); }

void TAdvCustomGlowButton::SetNotesFont(TFont* value) { FNotesFont->Assign(value); }

void TAdvCustomGlowButton::SetDefault(bool v) {
  FDefault = v;
  // Enter goes to the default button unless another glow button has the focus.
  TCustomForm* form = GetParentForm(this);
  TWinControl* active = form != nullptr ? form->ActiveControl() : nullptr;
  if (active == nullptr || dynamic_cast<TAdvCustomGlowButton*>(active) == nullptr) FDefaultNow = v;
}

void TAdvCustomGlowButton::ImageListChanged(TCustomImageList*& field, TCustomImageList* value,
                                            TChangeLink* link) {
  if (field == value) return;
  if (field != nullptr) {
    field->UnRegisterChanges(link);
    field->RemoveFreeNotification(this);
  }
  field = value;
  if (field != nullptr) {
    field->RegisterChanges(link);
    field->FreeNotification(this);
  }
}

void TAdvCustomGlowButton::SetImages(TCustomImageList* value) {
  ImageListChanged(FImages, value, FImagesLink.get());
  UpdateAutoSize();
  Invalidate();
}

void TAdvCustomGlowButton::SetDisabledImages(TCustomImageList* value) {
  ImageListChanged(FDisabledImages, value, FDisabledImagesLink.get());
  Invalidate();
}

void TAdvCustomGlowButton::SetHotImages(TCustomImageList* value) {
  ImageListChanged(FHotImages, value, FHotImagesLink.get());
  Invalidate();
}

void TAdvCustomGlowButton::SetDropDownMenu(TPopupMenu* value) {
  if (FDropDownMenu != nullptr) FDropDownMenu->RemoveFreeNotification(this);
  FDropDownMenu = value;
  if (FDropDownMenu != nullptr) FDropDownMenu->FreeNotification(this);
}

void TAdvCustomGlowButton::SetDropDownButton(bool v) {
  if (FDropDownButton == v) return;
  FDropDownButton = v;
  UpdateAutoSize();
  Invalidate();
}

void TAdvCustomGlowButton::SetDropDownPosition(TDropDownPosition v) {
  if (FDropDownPosition == v) return;
  FDropDownPosition = v;
  if (FDropDownButton) UpdateAutoSize();
  Invalidate();
}

void TAdvCustomGlowButton::SetAllowAllUp(bool v) {
  if (FAllowAllUp == v) return;
  FAllowAllUp = v;
  BroadcastGroup();
}

void TAdvCustomGlowButton::SetGroupIndex(int v) {
  if (FGroupIndex == v) return;
  FGroupIndex = v;
  BroadcastGroup();
}

void TAdvCustomGlowButton::SetMaxButtonSizeState(TButtonSizeState v) {
  FMaxButtonSizeState = v;
  SetSizeState(v);
}

void TAdvCustomGlowButton::SetMinButtonSizeState(TButtonSizeState v) {
  FMinButtonSizeState = v;
  if (FSizeState < v) SetSizeState(v);
}

void TAdvCustomGlowButton::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FImages) FImages = nullptr;
  if (component == FDisabledImages) FDisabledImages = nullptr;
  if (component == FHotImages) FHotImages = nullptr;
  if (component == FDropDownMenu) FDropDownMenu = nullptr;
}

void TAdvCustomGlowButton::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TAdvCustomGlowButton*>(source);
  if (s == nullptr) return;
  SetAlign(s->Align());
  SetAction(s->Action());
  SetAnchors(s->Anchors());
  SetAntiAlias(s->AntiAlias());
  SetAutoSize(s->AutoSize());
  SetBorderStyle(s->BorderStyle());
  SetCancel(s->Cancel());
  SetCaption(s->Caption());
  SetDefault(s->Default());
  SetFont(s->Font());
  SetImageIndex(s->ImageIndex());
  // The source's image lists are taken as references: no images are copied into a list the
  // target may not have.
  SetImages(s->Images());
  SetDisabledImages(s->DisabledImages());
  SetDisabledPicture(s->DisabledPicture());
  SetFocusType(s->FocusType());
  SetHotImages(s->HotImages());
  SetHotPicture(s->HotPicture());
  SetMarginVert(s->MarginVert());
  SetMarginHorz(s->MarginHorz());
  SetModalResult(s->ModalResult());
  SetNotes(s->Notes());
  SetNotesFont(s->NotesFont());
  SetOfficeHint(s->OfficeHint());
  SetParentFont(s->ParentFont());
  SetPicture(s->Picture());
  if (s->PopupMenu() != nullptr)
    SetPopupMenuObject(s->PopupMenu(), dynamic_cast<IPopupMenu*>(s->PopupMenu()));
  else
    SetPopupMenuObject(nullptr, nullptr);
  SetPosition(s->Position());
  SetInitRepeatPause(s->InitRepeatPause());
  SetRepeatPause(s->RepeatPause());
  SetRepeatClick(s->RepeatClick());
  SetRounded(s->Rounded());
  SetShortCutHint(s->ShortCutHint());
  SetShortCutHintPos(s->ShortCutHintPos());
  SetShowCaption(s->ShowCaption());
  SetShowDisabled(s->ShowDisabled());
  SetSpacing(s->Spacing());
  SetTransparent(s->Transparent());
  SetTrimming(s->Trimming());
  SetWordWrap(s->WordWrap());
  SetShowHint(s->ShowHint());
  SetParentShowHint(s->ParentShowHint());
  SetTabOrder(s->TabOrder());
  SetTabStop(s->TabStop());
  SetVisible(s->Visible());
}
