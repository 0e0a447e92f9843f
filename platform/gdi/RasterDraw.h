// Decoded pictures on cairo surfaces and device contexts.
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Raster.h"

// A premultiplied ARGB32 surface of the picture; the caller destroys it.
cairo_surface_t* RasterToSurface(const TRasterImage& image);
// The picture on an image surface (ARGB32 or RGB24).
TRasterImage SurfaceToRaster(cairo_surface_t* surface);
// Blends the picture (or its source part) into dest on the context, scaled, with its alpha times
// opacity / 255; smooth scaling unless the context's stretch mode asks for nearest pixels.
void DrawRasterImage(HDC dc, const TRect& dest, const TRasterImage& image, int opacity = 255,
                     const TRect* source = nullptr);
