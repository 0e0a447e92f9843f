// The pictures the program carries as named resources: the grid's check-box, radio, node, filter
// and close glyphs, the spin-button arrows, the pan anchors, the memo's bookmark and menu
// pictures, the sort arrows and the grid's cursors. All are drawn here; a program may register
// more (or replace one) before it first uses it. Names compare without regard to case.
#pragma once

#include <functional>
#include <string_view>

#include "platform/gdi/Raster.h"
#include "platform/gdi/WinTypes.h"
#include "platform/rtl/Exceptions.h"

// Raised for a resource name the program does not carry: "Resource %s not found".
DECLARE_EXCEPTION(EResNotFound, Exception)
[[noreturn]] void RaiseResourceNotFound(std::u16string_view name);

// A bitmap resource. Opaque pixels; the background colour of the glyphs meant to be drawn
// transparent fills their corners, so both the top-left and bottom-left pixel rules find it.
bool FindResourceImage(std::u16string_view name, TRasterImage& image);
void RegisterResourceImage(std::u16string_view name, std::function<TRasterImage()> make);

// A cursor resource: a picture with transparent pixels and its hot spot.
struct TCursorImage {
  TRasterImage Image;
  TPoint HotSpot;
};
bool FindResourceCursor(int id, TCursorImage& cursor);
bool FindResourceCursor(std::u16string_view name, TCursorImage& cursor);

// Raw data resources (RT_RCDATA); none are built in.
bool FindResourceData(std::u16string_view name, TBytes& data);
void RegisterResourceData(std::u16string_view name, TBytes data);
