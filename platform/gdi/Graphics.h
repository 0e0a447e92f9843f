// The canvas and its graphics in one include: colours, fonts, pens and brushes, the canvas,
// bitmaps, icons, PNG, GIF and JPEG images, pictures and image lists.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Colors.h"
#include "platform/gdi/Graphic.h"
#include "platform/gdi/GraphicsObjects.h"
#include "platform/gdi/ImgList.h"
#include "platform/gdi/Jpeg.h"
#include "platform/gdi/RasterGraphics.h"
