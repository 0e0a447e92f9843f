// Pictures and embedded controls in the mini-HTML: where a picture comes from, the room each
// takes, their hit tests and their drawing.
#include <algorithm>
#include <cmath>

#include "controls/html/AsgHTMLE_Layout.h"

namespace AsgHtml {

TPictureRoom THtmlLayout::FindPicture(TView source) {
  TPictureRoom room;
  const double ppi = D.PixelsPerInch ? FSurface.PixelScale() : 1.0;
  const double scale = O.ScaleImages ? O.ImageScale : 1.0;
  auto scaled = [&](int v) {
    return std::clamp(static_cast<int>(std::lround(v * ppi * scale)), 0, kMaxRoom);
  };
  if (FindNoCase(source, u"IDX:") == 0) {
    const int index = LooseInt(source.substr(4));
    if (O.Images != nullptr && index >= 0 && index < O.Images->Count()) {
      room.ListIndex = index;
      room.Width = scaled(O.Images->Width());
      room.Height = scaled(O.Images->Height());
      room.Stretch = O.ScaleImages;
    }
    return room;
  }
  const bool small = FindNoCase(source, u"SSYS:") == 0;
  if (small || FindNoCase(source, u"LSYS:") == 0) {
    room.System = true;
    room.SystemName = String(source.substr(5));
    room.SystemLarge = !small;
    TSize size{};
    DrawSystemIcon(nullptr, 0, 0, room.SystemName, room.SystemLarge, false, false, 1.0, size);
    room.Width = scaled(size.cx);
    room.Height = scaled(size.cy);
    room.Stretch = O.ScaleImages;
    return room;
  }
  if (source.find(u':') == TView::npos && O.PictureContainer != nullptr) {
    room.Picture = O.PictureContainer->FindPicture(String(source));
  } else if (source.find(u':') == TView::npos) {
    TSize size{};
    room.Named = FSurface.FindNamedPicture(String(source), size);
    if (room.Named >= 0) {
      room.Width = size.cx;
      room.Height = size.cy;
    }
    return room;
  }
  if (D.UrlPictures && source.find(u"://") != TView::npos && O.PictureCache != nullptr) {
    const String url(source);
    room.Picture = O.PictureCache->FindPicture(url);
    if (room.Picture == nullptr) {
      room.Picture = O.PictureCache->AddPicture();
      room.Picture->LoadFromURL(url);
    }
  }
  if (room.Picture != nullptr && !room.Picture->Empty()) {
    room.Width = room.Picture->FrameWidth();
    room.Height = room.Picture->FrameHeight();
  }
  return room;
}

void THtmlLayout::Picture(TView tag, const TRect& lineRect, TPassMode mode, TLineInfo& line,
                          bool& fits) {
  const bool draw = mode == TPassMode::Paint;
  TView source;
  if (!TagAttribute(tag, u"SRC", source)) return;
  const int number = F.PictureCount + 1;
  TView alt;
  if (FHitPicture == number && F.InAnchor && TagAttribute(tag, u"ALT", alt)) source = alt;
  TPictureRoom room = FindPicture(source);
  if (!room.Found()) {
    F.PictureCount = number;
    return;
  }
  if (room.Named >= 0 || (room.Picture != nullptr && !D.AspectRatio)) {
    // Stretched only when both sizes are given.
    const int w = TagNumber(tag, u"WIDTH", 0), h = TagNumber(tag, u"HEIGHT", 0);
    if (w >= 1 && h >= 1) {
      room.Width = std::min(w, kMaxRoom);
      room.Height = std::min(h, kMaxRoom);
      room.Stretch = true;
    }
  } else if (room.Picture != nullptr) {
    auto attribute = [&](TView name) {
      int v = TagNumber(tag, name, -1);
      return v < 0 ? -1 : std::min(v, kMaxRoom);
    };
    const int w = attribute(u"WIDTH"), h = attribute(u"HEIGHT");
    const int pw = room.Width, ph = room.Height;
    if (w >= 0 && h >= 0) {
      room.Width = w;
      room.Height = h;
    } else if (w >= 0) {
      room.Width = w;
      room.Height = static_cast<int>(std::lround(static_cast<double>(w) * ph / pw));
    } else if (h >= 0) {
      room.Height = h;
      room.Width = static_cast<int>(std::lround(static_cast<double>(h) * pw / ph));
    }
    room.Stretch = w >= 0 || h >= 0;
    const double ppi = D.PixelsPerInch ? FSurface.PixelScale() : 1.0;
    room.Width = std::min(static_cast<int>(std::lround(room.Width * ppi)), kMaxRoom);
    room.Height = std::min(static_cast<int>(std::lround(room.Height * ppi)), kMaxRoom);
  }
  if (!Fits(room.Width, line)) {
    fits = false;
    return;
  }
  F.PictureCount = number;
  const int x = O.XPos - lineRect.Left;
  if (F.InAnchor && x > line.Width && x < line.Width + room.Width && O.YPos > lineRect.Top &&
      O.YPos < lineRect.Top + room.Height) {
    line.PictureHit = true;
    R.AnchorOut = String(F.Target);
    R.AnchorTitleOut = String(F.Title);
    FHitPicture = number;
  }
  if (draw) {
    const TRect r{FX, lineRect.Top, FX + room.Width, lineRect.Top + room.Height};
    if (room.ListIndex >= 0) {
      FSurface.ListPicture(O.Images, room.ListIndex, r, room.Stretch);
    } else if (room.System) {
      FSurface.SystemIcon(room.SystemName, room.SystemLarge, TPoint{r.Left, r.Top}, room.Stretch,
                          O.ImageScale);
    } else if (room.Named >= 0) {
      FSurface.NamedPicture(room.Named, r, room.Stretch);
    } else if (room.Picture != nullptr) {
      if (D.AnimatedPictures && room.Picture->FrameCount() > 1) {
        const int fx = r.Left + room.Picture->FrameXPos(), fy = r.Top + room.Picture->FrameYPos();
        FSurface.Fill(TRect{fx, fy, fx + room.Picture->FrameWidth(),
                            fy + room.Picture->FrameHeight()},
                      FStartBackground);
      }
      FSurface.Picture(room.Picture, r, room.Stretch);
    }
  }
  line.Width += room.Width;
  FX += room.Width;
  line.Height = std::max(line.Height, room.Height);
  if (FindNoCase(tag, u"\"TOP") != TView::npos) {
    line.PictureOffset = line.Height - GhHeight();
  } else if (FindNoCase(tag, u"\"MIDDLE") != TView::npos) {
    line.PictureOffset = (line.Height - GhHeight()) / 2;
  }
  if (D.ImageWrap && FindNoCase(tag, u" WRAP") != TView::npos) {
    line.Height = GhHeight();
    line.PictureOffset = 0;
  }
}

void THtmlLayout::Control(TView tag, const TRect& lineRect, TPassMode mode, TLineInfo& line,
                          bool& fits) {
  const bool draw = mode == TPassMode::Paint;
  const THtmlControlTag c = ParseControlTag(String(tag));
  TView widthText(c.Width);
  if (widthText.empty() || widthText[0] < u'0' || widthText[0] > u'9') return;
  const int width = std::min(LooseInt(widthText), kMaxRoom);
  int height = 25;
  if (!c.Height.empty() && c.Height[0] >= u'0' && c.Height[0] <= u'9') {
    height = std::min(LooseInt(c.Height), kMaxRoom);
  }
  TControlLook look;
  if (c.Type == u"PASSWORD") {
    look.Kind = TControlKind::Password;
  } else if (c.Type == u"COMBO") {
    look.Kind = TControlKind::Combo;
  } else if (c.Type == u"CHECK") {
    look.Kind = TControlKind::Check;
  } else if (c.Type == u"RADIO") {
    look.Kind = TControlKind::Radio;
  } else if (c.Type == u"BUTTON") {
    look.Kind = TControlKind::Button;
  }
  const bool box = look.Kind == TControlKind::Check || look.Kind == TControlKind::Radio;
  int h = box ? 16 : 23;
  if (height > 25) h = height - 2;
  int roomW = width, roomH;
  switch (look.Kind) {
    case TControlKind::Check:
    case TControlKind::Radio: roomW = 16; roomH = 16; break;
    case TControlKind::Combo:
    case TControlKind::Button: roomH = 25; break;
    default: roomH = GhHeight() + 10; break;
  }
  const int x = O.XPos - lineRect.Left;
  if ((x > line.Width && x < line.Width + roomW && O.YPos > lineRect.Top &&
       O.YPos < lineRect.Top + roomH) ||
      (O.HitTest && !c.Id.empty() && R.ControlId == c.Id)) {
    line.PictureHit = true;
    R.AnchorOut = u"ctrl";
    R.ControlRectOut = TRect{lineRect.Left + line.Width, lineRect.Top,
                             lineRect.Left + line.Width + roomW, lineRect.Top + roomH};
    R.ControlValueOut = c.Value;
    R.ControlId = c.Id;
    R.ControlTypeOut = c.Type;
  }
  if (!Fits(roomW, line)) {
    fits = false;
    return;
  }
  line.Height = std::max(line.Height, std::max(h, roomH));
  if (draw) {
    look.X = FX;
    look.Bottom = RunBottom(lineRect, line);
    look.Width = width;
    look.LineHeight = h;
    look.Height = height;
    look.Value = look.Kind == TControlKind::Password ? MaskPassword(c.Value) : c.Value;
    look.Checked = UpperCase(c.Value) == u"TRUE";
    look.Hot = FX - 2 < O.XPos && O.XPos < FX - 2 + width &&
               look.Bottom - roomH - 2 < O.YPos && O.YPos < look.Bottom - 2;
    look.Down = O.ControlDown;
    FSurface.Control(look);
  }
  line.Width += roomW;
  FX += roomW;
}

}  // namespace AsgHtml
