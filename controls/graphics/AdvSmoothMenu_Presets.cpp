// The smooth menu's twenty style presets and its colour tones: both only set colours of the
// appearance, its fill and the item appearance, each through its setter.
#include <array>

#include "controls/graphics/AdvSmoothMenu.h"

namespace {

struct TMenuPreset {
  bool Defined;
  TColor Border, Color, ColorTo, Mirror, MirrorTo, Indicator;
  TColor Glow, GlowHover, GlowSelected;
  TColor Font, HoverFont, SelectedFont, NotesFont;
};

constexpr TColor W = 0x00FFFFFF, K = 0x00000000;
constexpr TColor kHover = 0x007AE1FE, kSelected = 0x004C9FFD;
constexpr TColor kWarmHover = 0x008AE3FD, kWarmSelected = 0x0045E1FE;
constexpr TColor kPaleGlow = 0x00F7F6F5, kPaleHover = 0x00F7EFE8, kPaleSelected = 0x00F7E0C9;

// Indexed by preset; 8 has no entry and changes nothing.
constexpr std::array<TMenuPreset, 20> kPresets = {{
    {true, 0x00E3B28D, 0x00FDEADA, 0x00FADAC4, 0x00FADAC4, 0x00FADAC4, K,  //
     0x00933803, kHover, kSelected, W, K, W, K},
    {true, 0x00947C7C, 0x00F7F3F3, 0x00E6D8D8, 0x00E6D8D8, 0x00E6D8D8, K,  //
     0x00957475, kHover, kSelected, W, K, W, K},
    {true, 0x00588060, 0x00CFF0EA, 0x00CFF0EA, 0x00CFF0EA, 0x00CFF0EA, K,  //
     0x00447A63, kHover, kSelected, W, K, W, K},
    {true, 0x00808080, W, 0x00C9D1D5, 0x00C9D1D5, W, W,  //
     0x00808080, kHover, kSelected, W, K, W, K},
    {true, 0x00E3B28D, 0x00FAF1E9, 0x00EDD8C7, 0x00EDD8C7, 0x00FFF2E7, W,  //
     0x00FFD2AF, 0x006CCAFD, kSelected, K, K, W, 0x00723708},
    {true, K, 0x00CFC6C1, 0x00C5BBB4, 0x00C5BBB4, 0x00ECECE5, K,  //
     0x005C534C, kHover, kSelected, W, W, W, 0x00433C37},
    {true, K, clBtnFace, clBtnFace, clBtnFace, clBtnFace, K,  //
     0x00B9D8DC, 0x00EFD3C6, clInactiveCaption, K, K, K, K},
    {true, 0x00962D00, W, 0x00D9E9EC, 0x00D9E9EC, W, K,  //
     0x00808080, kHover, kSelected, W, K, W, K},
    {false, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {true, 0x0074706F, 0x00F6F1EE, 0x00E7DCD5, 0x00E7DCD5, 0x00F4F4EE, W,  //
     0x00E8E0DB, kHover, kSelected, K, K, W, 0x00723708},
    {true, 0x00FEDF9A, W, W, W, W, K,  //
     0x00FBEDD3, 0x00FBEDD3, 0x00F7DAA2, K, 0x00FEDF9A, K, K},
    {true, 0x00CEA27D, W, W, W, W, K,  //
     0x00CEA27D, 0x00FDFBFA, 0x00FCEBDC, K, 0x00FEDF9A, K, K},
    {true, 0x00808080, clBtnFace, clBtnFace, clNone, clNone, K,  //
     0x00C0C0C0, 0x00808080, clHighlight, K, K, W, K},
    {true, 0x00C7B29F, 0x00FDF6EF, 0x00F0DAC7, clNone, clNone, 0x005B391E,  //
     W, kWarmHover, kWarmSelected, K, K, K, K},
    {true, 0x00D2CDC8, W, 0x00EDE5E0, clNone, clNone, 0x007C6D66,  //
     W, kWarmHover, kWarmSelected, K, K, K, K},
    {true, 0x006D6D6D, 0x00BFBFBF, 0x00919191, clNone, clNone, 0x00D7D7D6,  //
     W, kWarmHover, kWarmSelected, K, K, K, K},
    {true, 0x00DCDBDA, W, W, clNone, clNone, 0x00DCDBDA,  //
     kPaleGlow, kPaleHover, kPaleSelected, K, K, K, K},
    {true, 0x00D4D4D4, W, W, clNone, clNone, 0x00D4D4D4,  //
     kPaleGlow, kPaleHover, kPaleSelected, K, K, K, K},
    {true, 0x00C6C6C6, W, W, clNone, clNone, 0x00C6C6C6,  //
     kPaleGlow, kPaleHover, kPaleSelected, K, K, K, K},
    {true, 0x00ABABAB, W, W, clNone, clNone, 0x00ABABAB,  //
     kPaleGlow, kPaleHover, kPaleSelected, K, K, K, K},
}};

// The one preset with no mirror gradient of its own keeps the fill's.
constexpr TStylePreset kKeepsMirrorType = 12;
// The preset whose glows are stronger than the defaults.
constexpr TStylePreset kStrongGlows = 4;

}  // namespace

void TAdvSmoothMenu::SetComponentStyle(TStylePreset style) {
  if (style >= kPresets.size() || !kPresets[style].Defined) return;
  const TMenuPreset& p = kPresets[style];
  TGDIPFill* fill = FAppearance->Fill();
  TAdvSmoothMenuItemAppearance* items = FItemAppearance.get();
  if (style != kKeepsMirrorType) fill->SetGradientMirrorType(gtVertical);
  if (style == kStrongGlows) {
    items->SetGlowOpacity(150);
    items->SetGlowOpacityHover(210);
    items->SetGlowOpacitySelected(200);
  }
  fill->SetBorderColor(p.Border);
  fill->SetColor(p.Color);
  fill->SetColorTo(p.ColorTo);
  fill->SetColorMirror(p.Mirror);
  fill->SetColorMirrorTo(p.MirrorTo);
  FAppearance->SetIndicatorColor(p.Indicator);
  FAppearance->SetLineColor(p.Indicator);
  items->SetGlowColor(p.Glow);
  items->SetGlowColorHover(p.GlowHover);
  items->SetGlowColorSelected(p.GlowSelected);
  items->Font()->SetColor(p.Font);
  items->HoverFont()->SetColor(p.HoverFont);
  items->SelectedFont()->SetColor(p.SelectedFont);
  items->NotesFont()->SetColor(p.NotesFont);
}

// A flat body in the normal tone, no glows, and the tone's text colour for every text, the line
// and the indicator.
void TAdvSmoothMenu::SetColorTones(const TColorTones& tones) {
  const TColorTone& n = tones.Normal;
  TGDIPFill* fill = FAppearance->Fill();
  fill->SetBorderColor(n.BorderColor);
  fill->SetColor(n.Color);
  fill->SetColorTo(n.Color);
  fill->SetColorMirror(n.Color);
  fill->SetColorMirrorTo(n.Color);
  FAppearance->SetIndicatorColor(n.TextColor);
  FAppearance->SetLineColor(n.TextColor);
  TAdvSmoothMenuItemAppearance* items = FItemAppearance.get();
  items->SetGlowColor(clNone);
  items->SetGlowColorHover(clNone);
  items->SetGlowColorSelected(clNone);
  for (TFont* font : {items->Font(), items->HoverFont(), items->SelectedFont(), items->NotesFont()})
    font->SetColor(n.TextColor);
}
