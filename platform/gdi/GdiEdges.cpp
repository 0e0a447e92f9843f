// Three-dimensional edges and the classic frame controls (push buttons, check boxes, radio
// buttons, scroll arrows and the combo arrow), drawn in the system colours.
#include <cairo.h>

#include <cmath>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiPaint.h"

namespace {

void Fill(HDC dc, const TRect& r, COLORREF color) {
  if (IsRectEmpty(r)) return;
  dc->PaintShape(color, R2_COPYPEN, [&](cairo_t* cr) {
    cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
    cairo_fill(cr);
  });
}

// One ring of an edge: the top and left lines in one colour, the bottom and right in another.
void Ring(HDC dc, TRect& r, uint32_t flags, COLORREF topLeft, COLORREF bottomRight) {
  if (flags & BF_TOP) Fill(dc, {r.Left, r.Top, r.Right - 1, r.Top + 1}, topLeft);
  if (flags & BF_LEFT) Fill(dc, {r.Left, r.Top, r.Left + 1, r.Bottom - 1}, topLeft);
  if (flags & BF_BOTTOM) Fill(dc, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, bottomRight);
  if (flags & BF_RIGHT) Fill(dc, {r.Right - 1, r.Top, r.Right, r.Bottom}, bottomRight);
  if (flags & BF_LEFT) ++r.Left;
  if (flags & BF_TOP) ++r.Top;
  if (flags & BF_RIGHT) --r.Right;
  if (flags & BF_BOTTOM) --r.Bottom;
}

void Triangle(HDC dc, std::initializer_list<TPoint> points, COLORREF color) {
  std::vector<TPoint> p(points);
  dc->PaintShape(color, R2_COPYPEN, [&](cairo_t* cr) {
    cairo_move_to(cr, p[0].X, p[0].Y);
    for (size_t i = 1; i < p.size(); ++i) cairo_line_to(cr, p[i].X, p[i].Y);
    cairo_close_path(cr);
    cairo_fill(cr);
  });
}

// A solid arrow centred in r; kind is DFCS_SCROLLUP, DOWN, LEFT, RIGHT or COMBOBOX.
void Arrow(HDC dc, const TRect& r, uint32_t kind, COLORREF color) {
  int size = std::max(2, std::min(r.Width(), r.Height()) / 4 + 1);
  int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  switch (kind) {
    case DFCS_SCROLLUP:
      Triangle(dc, {{cx - size, cy + size / 2 + 1}, {cx + size + 1, cy + size / 2 + 1}, {cx, cy - size / 2}}, color);
      break;
    case DFCS_SCROLLLEFT:
      Triangle(dc, {{cx + size / 2 + 1, cy - size}, {cx + size / 2 + 1, cy + size + 1}, {cx - size / 2, cy}}, color);
      break;
    case DFCS_SCROLLRIGHT:
      Triangle(dc, {{cx - size / 2, cy - size}, {cx - size / 2, cy + size + 1}, {cx + size / 2 + 1, cy}}, color);
      break;
    default:  // down and combo box
      Triangle(dc, {{cx - size, cy - size / 2}, {cx + size + 1, cy - size / 2}, {cx, cy + size / 2 + 1}}, color);
      break;
  }
}

void ButtonFace(HDC dc, TRect& r, uint32_t state) {
  if (state & DFCS_FLAT) {
    Ring(dc, r, BF_RECT, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
    Fill(dc, r, GetSysColor(COLOR_BTNFACE));
    return;
  }
  DrawEdge(dc, r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
}

void CheckBox(HDC dc, const TRect& bounds, uint32_t state) {
  int side = std::min({bounds.Width(), bounds.Height(), 13});
  TRect r = Bounds(bounds.Left + (bounds.Width() - side) / 2, bounds.Top + (bounds.Height() - side) / 2,
                   side, side);
  bool grey = (state & (DFCS_INACTIVE | DFCS_PUSHED)) != 0;
  if (state & DFCS_FLAT) {
    Ring(dc, r, BF_RECT, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
  } else {
    DrawEdge(dc, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  }
  Fill(dc, r, GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW));
  if ((state & DFCS_CHECKED) == 0) return;
  COLORREF mark = GetSysColor((state & (DFCS_INACTIVE | DFCS_BUTTON3STATE)) ? COLOR_BTNSHADOW
                                                                              : COLOR_WINDOWTEXT);
  // A tick of three pixel-thick strokes, scaled to the box.
  double s = r.Width() / 9.0;
  dc->PaintShape(mark, R2_COPYPEN, [&](cairo_t* cr) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_line_width(cr, std::max(1.5, 1.6 * s));
    cairo_move_to(cr, r.Left + 1.5 * s, r.Top + 4.5 * s);
    cairo_line_to(cr, r.Left + 3.5 * s, r.Top + 6.5 * s);
    cairo_line_to(cr, r.Left + 7.5 * s, r.Top + 2.5 * s);
    cairo_stroke(cr);
  });
}

void RadioButton(HDC dc, const TRect& bounds, uint32_t state) {
  int side = std::min({bounds.Width(), bounds.Height(), 13});
  double x = bounds.Left + (bounds.Width() - side) / 2.0, y = bounds.Top + (bounds.Height() - side) / 2.0;
  double cx = x + side / 2.0, cy = y + side / 2.0, radius = side / 2.0;
  bool grey = (state & (DFCS_INACTIVE | DFCS_PUSHED)) != 0;
  auto disc = [&](double rad, COLORREF color) {
    dc->PaintShape(color, R2_COPYPEN, [&](cairo_t* cr) {
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
      cairo_arc(cr, cx, cy, rad, 0, 2 * M_PI);
      cairo_fill(cr);
    });
  };
  if (state & DFCS_FLAT) {
    disc(radius, GetSysColor(COLOR_BTNSHADOW));
  } else {
    disc(radius, GetSysColor(COLOR_BTNHIGHLIGHT));
    dc->PaintShape(GetSysColor(COLOR_BTNSHADOW), R2_COPYPEN, [&](cairo_t* cr) {
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
      cairo_arc(cr, cx, cy, radius - 0.5, M_PI * 0.75, M_PI * 1.75);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    });
  }
  disc(radius - 1.5, GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW));
  if (state & DFCS_CHECKED) {
    disc(std::max(1.5, radius / 3), GetSysColor((state & DFCS_INACTIVE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT));
  }
}

void ScrollButton(HDC dc, TRect& r, uint32_t state) {
  TRect face = r;
  ButtonFace(dc, face, state);
  uint32_t kind = state & 0xFF;
  if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) return;
  TRect glyph = face;
  if (state & DFCS_PUSHED) OffsetRect(glyph, 1, 1);
  if (state & DFCS_INACTIVE) {
    TRect shadow = glyph;
    OffsetRect(shadow, 1, 1);
    Arrow(dc, shadow, kind, GetSysColor(COLOR_BTNHIGHLIGHT));
    Arrow(dc, glyph, kind, GetSysColor(COLOR_BTNSHADOW));
  } else {
    Arrow(dc, glyph, kind, GetSysColor(COLOR_BTNTEXT));
  }
  if (state & DFCS_ADJUSTRECT) r = face;
}

}  // namespace

bool DrawEdge(HDC dc, TRect& rect, uint32_t edge, uint32_t flags) {
  if (dc == nullptr) return false;
  dc->Log("DrawEdge", {rect.Left, rect.Top, rect.Right, rect.Bottom}, (edge << 16) | (flags & 0xFFFF));
  TRect r = rect;
  uint32_t outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
  if (flags & (BF_FLAT | BF_MONO)) {
    // One ring in the frame colour, none for the inner edge.
    COLORREF frame = GetSysColor((flags & BF_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW);
    if (outer || inner) Ring(dc, r, flags, frame, frame);
    if ((flags & BF_FLAT) && !(flags & BF_MONO) && outer && inner) {
      COLORREF face = GetSysColor(COLOR_BTNFACE);
      Ring(dc, r, flags, face, face);
    }
  } else {
    bool soft = (flags & BF_SOFT) != 0;
    if (outer == BDR_RAISEDOUTER) {
      Ring(dc, r, flags, GetSysColor(soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    } else if (outer == BDR_SUNKENOUTER) {
      Ring(dc, r, flags, GetSysColor(soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    if (inner == BDR_RAISEDINNER) {
      Ring(dc, r, flags, GetSysColor(soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    } else if (inner == BDR_SUNKENINNER) {
      Ring(dc, r, flags, GetSysColor(soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    }
  }
  if (flags & BF_MIDDLE) Fill(dc, r, GetSysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) rect = r;
  return true;
}

bool DrawFrameControl(HDC dc, TRect& rect, uint32_t type, uint32_t state) {
  if (dc == nullptr) return false;
  dc->Log("DrawFrameControl", {rect.Left, rect.Top, rect.Right, rect.Bottom}, (type << 16) | (state & 0xFFFF));
  switch (type) {
    case DFC_BUTTON:
      if (state & DFCS_BUTTONPUSH) {
        TRect face = rect;
        ButtonFace(dc, face, state);
        if (state & DFCS_ADJUSTRECT) rect = face;
      } else if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
        RadioButton(dc, rect, state);
      } else {
        CheckBox(dc, rect, state);
      }
      return true;
    case DFC_SCROLL:
      ScrollButton(dc, rect, state);
      return true;
    case DFC_CAPTION:
    case DFC_MENU:
    case DFC_POPUPMENU: {
      TRect face = rect;
      if (type == DFC_CAPTION) ButtonFace(dc, face, state);
      Arrow(dc, face, type == DFC_CAPTION ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT, GetSysColor(COLOR_BTNTEXT));
      return true;
    }
  }
  return false;
}
