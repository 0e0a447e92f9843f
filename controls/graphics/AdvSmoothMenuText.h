// What the smooth menu's sources share for text: a GDI+ graphics to measure with when no paint is
// under way, and the GDI+ font of a class-library font as the menu builds it (strike-out is not
// carried over; an unknown family becomes "Arial").
#pragma once

#include <memory>

#include "controls/graphics/AdvGDIP.h"
#include "platform/gdi/Gdi.h"

// A graphics over a memory context of its own.
class TMenuTextGraphics {
 public:
  TMenuTextGraphics() : FDC(CreateCompatibleDC(nullptr)), FGraphics(new TGPGraphics(FDC)) {}
  ~TMenuTextGraphics() {
    FGraphics.reset();
    DeleteDC(FDC);
  }
  TMenuTextGraphics(const TMenuTextGraphics&) = delete;
  TMenuTextGraphics& operator=(const TMenuTextGraphics&) = delete;
  TGPGraphics& Graphics() { return *FGraphics; }

 private:
  HDC FDC;
  std::unique_ptr<TGPGraphics, TObjectFree> FGraphics;
};

class TMenuFont {
 public:
  TMenuFont(TGPGraphics& graphics, TFont* font) {
    if (font->Style().Contains(fsStrikeOut)) {
      TFont plain;
      plain.Assign(font);
      plain.SetStyle(font->Style() >> fsStrikeOut);
      FFont.reset(graphics.MakeFont(&plain));
    } else {
      FFont.reset(graphics.MakeFont(font));
    }
  }
  TGPFont* Get() const { return FFont.get(); }

 private:
  std::unique_ptr<TGPFont, TObjectFree> FFont;
};
