// The glow button's colour sets: the appearance object, the colour routines the painter and the
// fades share, the twenty style presets and the colour tones.
#include <algorithm>
#include <cmath>

#include "controls/graphics/AdvGlowButton.h"
#include "platform/rtl/RtlMath.h"

using namespace AdvGlowButton;

namespace {

int gFadeInterval = 20;

int Channel(COLORREF rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

int Darker(int channel, int percent) {
  if (channel == 0) return std::max(0, percent);
  return static_cast<int>(Round(channel * std::min(100, 100 + percent) / 100.0));
}

}  // namespace

namespace AdvGlowButton {

int FadeInterval() { return gFadeInterval; }

TColor DarkerColorRGB(TColor color, int red, int green, int blue) {
  COLORREF rgb = ColorToRGB(color);
  int r = Darker(Channel(rgb, 0), red), g = Darker(Channel(rgb, 8), green);
  int b = Darker(Channel(rgb, 16), blue);
  return static_cast<TColor>(RGB(r & 0xFF, g & 0xFF, b & 0xFF));
}

TColor DarkerColor(TColor color, int percent) {
  return DarkerColorRGB(color, percent, percent, percent);
}

TColor BlendColor(TColor color1, TColor color2, int percent) {
  if (percent >= 100) return color1;
  if (percent <= 0 || color1 == clNone) return color2;
  if (color2 == clNone) return color1;
  COLORREF a = ColorToRGB(color1), b = ColorToRGB(color2);
  double p = percent / 100.0;
  auto mix = [&](int shift) {
    return std::min(255, static_cast<int>(Round(p * Channel(a, shift) +
                                                (1 - p) * Channel(b, shift))));
  };
  return static_cast<TColor>(RGB(mix(0), mix(8), mix(16)));
}

}  // namespace AdvGlowButton

namespace AdvGlowButtonTesting {
void ResetFadeInterval() { gFadeInterval = 20; }
}  // namespace AdvGlowButtonTesting

// --- TGlowButtonAppearance ----------------------------------------------------------------------

TGlowButtonAppearance::TGlowButtonAppearance() = default;

void TGlowButtonAppearance::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TGlowButtonAppearance*>(source);
  if (s == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  SetColor(s->Color());
  SetColorTo(s->ColorTo());
  SetColorMirror(s->ColorMirror());
  SetColorMirrorTo(s->ColorMirrorTo());
  SetColorHot(s->ColorHot());
  SetColorHotTo(s->ColorHotTo());
  SetColorMirrorHot(s->ColorMirrorHot());
  SetColorMirrorHotTo(s->ColorMirrorHotTo());
  SetColorDown(s->ColorDown());
  SetColorDownTo(s->ColorDownTo());
  SetColorMirrorDown(s->ColorMirrorDown());
  SetColorMirrorDownTo(s->ColorMirrorDownTo());
  SetColorChecked(s->ColorChecked());
  SetColorCheckedTo(s->ColorCheckedTo());
  SetColorMirrorChecked(s->ColorMirrorChecked());
  SetColorMirrorCheckedTo(s->ColorMirrorCheckedTo());
  SetColorDisabled(s->ColorDisabled());
  SetColorDisabledTo(s->ColorDisabledTo());
  SetColorMirrorDisabled(s->ColorMirrorDisabled());
  SetColorMirrorDisabledTo(s->ColorMirrorDisabledTo());
  SetBorderColor(s->BorderColor());
  SetBorderColorHot(s->BorderColorHot());
  SetBorderColorDown(s->BorderColorDown());
  SetBorderColorChecked(s->BorderColorChecked());
  SetBorderColorDisabled(s->BorderColorDisabled());
  SetGradient(s->Gradient());
  SetGradientMirror(s->GradientMirror());
  SetGradientHot(s->GradientHot());
  SetGradientMirrorHot(s->GradientMirrorHot());
  SetGradientDown(s->GradientDown());
  SetGradientMirrorDown(s->GradientMirrorDown());
  SetGradientChecked(s->GradientChecked());
  SetGradientMirrorChecked(s->GradientMirrorChecked());
  SetGradientDisabled(s->GradientDisabled());
  SetGradientMirrorDisabled(s->GradientMirrorDisabled());
  SetTextColorHot(s->TextColorHot());
  SetTextColorDown(s->TextColorDown());
  SetTextColorChecked(s->TextColorChecked());
  SetSystemFont(s->SystemFont());
  FTransparentHover = s->FTransparentHover;
}

TGlowColorSet TGlowButtonAppearance::NormalSet() const {
  return {FColor, FColorTo, FColorMirror, FColorMirrorTo, FBorderColor, FGradient,
          FGradientMirror};
}

TGlowColorSet TGlowButtonAppearance::HotSet() const {
  return {FColorHot,   FColorHotTo,    FColorMirrorHot,   FColorMirrorHotTo,
          FBorderColorHot, FGradientHot, FGradientMirrorHot};
}

TGlowColorSet TGlowButtonAppearance::DownSet() const {
  return {FColorDown,   FColorDownTo,    FColorMirrorDown,   FColorMirrorDownTo,
          FBorderColorDown, FGradientDown, FGradientMirrorDown};
}

TGlowColorSet TGlowButtonAppearance::CheckedSet() const {
  return {FColorChecked,   FColorCheckedTo,    FColorMirrorChecked,   FColorMirrorCheckedTo,
          FBorderColorChecked, FGradientChecked, FGradientMirrorChecked};
}

TGlowColorSet TGlowButtonAppearance::DisabledSet() const {
  return {FColorDisabled,   FColorDisabledTo,    FColorMirrorDisabled,   FColorMirrorDisabledTo,
          FBorderColorDisabled, FGradientDisabled, FGradientMirrorDisabled};
}

// --- Presets ------------------------------------------------------------------------------------

namespace {

// A table cell that leaves the property as it was.
constexpr TColor kKeep = static_cast<TColor>(0x7EFFFFFF);

// One set of a preset: start, end, mirror start, mirror end, border; Write false leaves the set.
struct TPresetSet {
  bool Write;
  TColor Color, ColorTo, Mirror, MirrorTo, Border;
};
constexpr TPresetSet kLeave{false, 0, 0, 0, 0, 0};

struct TPreset {
  TPresetSet Normal, Hot, Down, Checked;
};

constexpr TPresetSet kHotOffice{true, 0x00EBFDFF, 0x00ACECFF, 0x0059DAFF, 0x00A4E9FF, 0x0099CEDB};
constexpr TPresetSet kDownOffice{true, 0x0076AFF1, 0x004190F3, 0x000E72F1, 0x004C9FFD, 0x0045667B};
constexpr TPresetSet kCheckedOffice{true, 0x00B5DBFB, 0x0078C7FE, 0x009FEBFD, 0x0056B4FE, kKeep};
constexpr TPresetSet kCheckedOfficeBorder{true,       0x00B5DBFB, 0x0078C7FE,
                                          0x009FEBFD, 0x0056B4FE, 0x0045667B};
constexpr TPresetSet kHotWarm{true, 0x008AE3FD, 0x00D9F9FD, 0x00D9F9FD, 0x008AE3FD, 0x0058CAF1};
constexpr TPresetSet kDownWarm{true, 0x006CD0FF, 0x007BEEFF, 0x007BEEFF, 0x006CD0FF, 0x00308AC2};
constexpr TPresetSet kCheckedWarm{true, 0x00D9F9FD, 0x006CD0FF, 0x006CD0FF, 0x006CD0FF, 0x00308AC2};
constexpr TPresetSet kHotFlat{true, 0x00FCF0E4, clNone, 0x00FCF0E4, clNone, 0x00EAB47E};
constexpr TPresetSet kDownFlat{true, 0x00FCE2C8, clNone, 0x00FCE2C8, clNone, 0x00E59D56};
constexpr TPresetSet kCheckedFlat{true, 0x00FF9933, clNone, 0x00FF9933, clNone, 0x00FF9933};
constexpr TPresetSet kNormalBlue{true, 0x00EEDBC8, 0x00F6DDC9, 0x00EDD4C0, 0x00F7E1D0, 0x00E0B99B};

constexpr TPreset kPresets[20] = {
    {kNormalBlue, kHotOffice, kDownOffice, kCheckedOffice},
    {{true, 0x00E6E9E2, 0x00E6D8D8, 0x00E6E9E2, 0x00C8B2B3, 0x00927476}, kHotOffice, kDownOffice,
     kCheckedOffice},
    {{true, 0x00CFF0EA, 0x00CFF0EA, 0x00CFF0EA, 0x008CC0B1, 0x008CC0B1}, kHotOffice, kDownOffice,
     kCheckedOffice},
    {{true, clWhite, 0x00C9D1D5, clWhite, 0x00C9D1D5, clBlack}, kHotOffice, kDownOffice,
     kCheckedOffice},
    {kNormalBlue, kHotOffice, kDownOffice, kCheckedOfficeBorder},
    {{true, 0x00DFDED6, 0x00E4E2DB, 0x00D7D5CE, 0x00E7E5E0, 0x00C0BCB2}, kHotOffice, kDownOffice,
     kCheckedOfficeBorder},
    {{true, clWhite, 0x00B9D8DC, 0x00B9D8DC, 0x00B9D8DC, 0x00B9D8DC},
     {true, 0x00EFD3C6, 0x00EFD3C6, 0x00EFD3C6, 0x00EFD3C6, clHighlight},
     {true, 0x00B59284, 0x00B59284, 0x00B59284, 0x00B59284, clHighlight},
     {true, 0x00B9D8DC, 0x00B9D8DC, 0x00B9D8DC, 0x00B9D8DC, clBlack}},
    {{true, clWhite, 0x00DFEDF0, 0x00DFEDF0, 0x00DFEDF0, 0x0099A8AC}, kHotOffice, kDownOffice,
     kCheckedOffice},
    {kLeave, kLeave, kLeave, kLeave},
    {{true, 0x00F3F3F1, 0x00F5F5F3, 0x00EEEAE7, 0x00F8F7F6, 0x00CCCAC9}, kHotOffice, kDownOffice,
     kCheckedOfficeBorder},
    {{true, 0x00FDF8F1, 0x00FDF8F1, 0x00FCEFD5, 0x00FDF8F1, 0x00FDDE99},
     {true, clNone, 0x00FFFAF0, 0x00FFFAF0, 0x00FFFAF0, 0x00FCF2DA},
     {true, 0x00FCEFD5, 0x00FCEFD5, 0x00FDF4E3, 0x00FDF4E3, 0x00FEDF9A},
     {true, 0x00FCEFD5, 0x00FAE9C6, 0x00F7DAA2, 0x00FBEDD3, 0x00FEDF9A}},
    {{true, 0x00FCEBDC, 0x00FCDBC1, 0x00FCDBC1, 0x00FCDBC1, 0x00CEA27D},
     {true, 0x00FDFBFA, 0x00FDF3EB, 0x00FDF3EB, 0x00FDFBFA, 0x00FBD6B8},
     {true, 0x00FCEBDC, 0x00FCDBC1, 0x00FCDBC1, 0x00FCEBDC, 0x00CEA27D},
     {true, 0x00FDFBFA, 0x00FDF3EB, 0x00FCEBDC, 0x00FCEBDC, clHighlight}},
    {{true, clBtnFace, clBtnFace, clBtnFace, clBtnFace, kKeep},
     {true, clSilver, clSilver, clSilver, clSilver, clGray},
     {true, clHighlight, clHighlight, clHighlight, clHighlight, clHighlight},
     {true, clGray, clGray, clGray, clGray, clGray}},
    {{true, 0x00FDF6EF, 0x00F0DAC7, 0x00F0DAC7, 0x00F0DAC7, 0x00C7B29F}, kHotWarm, kDownWarm,
     kCheckedWarm},
    {{true, clWhite, 0x00EDE5E0, 0x00EDE5E0, 0x00EDE5E0, 0x00D2CDC8}, kHotWarm, kDownWarm,
     kCheckedWarm},
    {{true, 0x00BFBFBF, 0x00919191, 0x00919191, 0x00919191, 0x006D6D6D}, kHotWarm, kDownWarm,
     kCheckedWarm},
    {{true, 0x00F7F6F5, clNone, 0x00F7F6F5, clNone, 0x00E4E3E2},
     {true, 0x00F7EFE8, clNone, 0x00F7EFE8, clNone, 0x00F9CEA4},
     {true, 0x00F7E0C9, clNone, 0x00F7E0C9, clNone, 0x00E4A262},
     {true, 0x00DAA026, clNone, 0x00DAA026, clNone, 0x00DAA026}},
    {{true, clWhite, clNone, clWhite, clNone, 0x00D4D4D4}, kHotFlat, kDownFlat, kCheckedFlat},
    {{true, clWhite, clNone, 0x00F6F6F6, clNone, 0x00C6C6C6}, kHotFlat, kDownFlat, kCheckedFlat},
    {{true, 0x00E5E5E5, clNone, 0x00E5E5E5, clNone, 0x00ABABAB}, kHotFlat, kDownFlat,
     kCheckedFlat},
};

using TColorSetter = void (TGlowButtonAppearance::*)(TColor);
using TGradientSetter = void (TGlowButtonAppearance::*)(TGDIPGradient);

// The setters of one set, in the table's column order, and its two gradients.
struct TSetSetters {
  TColorSetter Color, ColorTo, Mirror, MirrorTo, Border;
  TGradientSetter Gradient, GradientMirror;
};

void WriteSet(TGlowButtonAppearance* a, const TPresetSet& set, const TSetSetters& s,
              bool gradients) {
  if (!set.Write) return;
  (a->*s.Color)(set.Color);
  (a->*s.ColorTo)(set.ColorTo);
  (a->*s.Mirror)(set.Mirror);
  (a->*s.MirrorTo)(set.MirrorTo);
  if (set.Border != kKeep) (a->*s.Border)(set.Border);
  if (!gradients) return;
  (a->*s.Gradient)(ggVertical);
  (a->*s.GradientMirror)(ggVertical);
}

using A = TGlowButtonAppearance;
constexpr TSetSetters kNormalSetters{&A::SetColor,         &A::SetColorTo,    &A::SetColorMirror,
                                     &A::SetColorMirrorTo, &A::SetBorderColor, &A::SetGradient,
                                     &A::SetGradientMirror};
constexpr TSetSetters kHotSetters{&A::SetColorHot,          &A::SetColorHotTo,
                                  &A::SetColorMirrorHot,    &A::SetColorMirrorHotTo,
                                  &A::SetBorderColorHot,    &A::SetGradientHot,
                                  &A::SetGradientMirrorHot};
constexpr TSetSetters kDownSetters{&A::SetColorDown,          &A::SetColorDownTo,
                                   &A::SetColorMirrorDown,    &A::SetColorMirrorDownTo,
                                   &A::SetBorderColorDown,    &A::SetGradientDown,
                                   &A::SetGradientMirrorDown};
constexpr TSetSetters kCheckedSetters{&A::SetColorChecked,          &A::SetColorCheckedTo,
                                      &A::SetColorMirrorChecked,    &A::SetColorMirrorCheckedTo,
                                      &A::SetBorderColorChecked,    &A::SetGradientChecked,
                                      &A::SetGradientMirrorChecked};

}  // namespace

void TAdvCustomGlowButton::SetComponentStyle(TStylePreset style) {
  TGlowButtonAppearance* a = FAppearance.get();
  a->SetTransparentHover(style >= 13 && style <= 15);
  FAppliedPreset = style;
  a->SetTextColorChecked(clBlack);
  SetRounded(!(style == 8 || (style >= 16 && style <= 19)));
  if (style > 19) return;
  const TPreset& preset = kPresets[style];
  // The system-colour preset keeps every gradient as it is.
  bool gradients = style != 12;
  WriteSet(a, preset.Normal, kNormalSetters, gradients);
  WriteSet(a, preset.Hot, kHotSetters, gradients);
  WriteSet(a, preset.Down, kDownSetters, gradients);
  WriteSet(a, preset.Checked, kCheckedSetters, gradients);
  if (style >= 16) {
    TColor fill = style == 16 ? 0x00F7F7F7 : 0x00EEEEEE;
    a->SetColorDisabled(fill);
    a->SetColorMirrorDisabled(fill);
    a->SetColorDisabledTo(clNone);
    a->SetColorMirrorDisabledTo(clNone);
    a->SetBorderColorDisabled(style == 16 ? 0x00DEDEDE : 0x00ACACAC);
    a->SetTextColorChecked(clWhite);
  }
  Invalidate();
}

void TAdvCustomGlowButton::SetColorTones(const TColorTones& tones) {
  TGlowButtonAppearance* a = FAppearance.get();
  a->SetColor(tones.Normal.Color);
  a->SetColorTo(clNone);
  a->SetBorderColor(tones.Normal.BorderColor);
  a->SetColorMirror(tones.Normal.Color);
  a->SetColorMirrorTo(clNone);

  a->SetColorHot(tones.Hot.Color);
  a->SetColorMirrorHot(tones.Hot.Color);
  a->SetColorHotTo(clNone);
  a->SetColorMirrorHotTo(clNone);
  a->SetBorderColorHot(tones.Hot.BorderColor);
  a->SetTextColorHot(tones.Hot.TextColor);

  a->SetTextColorDown(tones.Down.TextColor);
  a->SetColorDown(tones.Down.Color);
  a->SetColorMirrorDown(tones.Down.Color);
  a->SetColorDownTo(clNone);
  a->SetColorMirrorDownTo(clNone);
  a->SetBorderColorDown(tones.Down.BorderColor);

  a->SetColorDisabled(tones.Normal.Color);
  a->SetColorDisabledTo(tones.Normal.Color);
  a->SetColorMirrorDisabled(tones.Normal.Color);
  a->SetColorMirrorDisabledTo(tones.Normal.Color);
  a->SetBorderColorDisabled(tones.Disabled.TextColor);

  // Flat tones do not fade: from now on no glow button of the process does.
  gFadeInterval = 0;
  SetRounded(false);
  Font()->SetColor(tones.Normal.TextColor);
  Font()->SetName(GetDefaultFontName());
}
