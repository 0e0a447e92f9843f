// The mini-HTML on arbitrary markup up to 64 KB: the renderer measuring and hit-testing, and every
// operation on markup texts, with the round trips that must hold checked. Seed it with
// fuzz/seeds/MiniHtml_fuzz (the markup of the unit tests) and run it with -max_len=65536.
//
// Input: one byte of switches (word wrap, hit test, selected, hover only), one byte each for the
// point's X and Y, then the markup as UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "controls/html/AsgHTMLE.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/UnicodeText.h"

namespace {

struct TTarget {
  TTarget() : Dc(CreateImageDC(200, 120)), Box(nullptr) { Canvas.SetHandle(Dc); }
  HDC Dc;
  TCanvas Canvas;
  ::PictureContainer::TPictureContainer Box;
  ::PictureContainer::THTMLPictureCache Cache;
};

void CheckTextOperations(const String& text) {
  if (UnescapeHtmlEntities(EscapeHtmlChars(text, true), true) != text) std::abort();
  if (UnescapeHtmlEntities(EscapeHtmlChars(text, false), false) != text) std::abort();
  if (StripHtmlTags(text).size() > text.size()) std::abort();
  HtmlToPlainText(text);
  const String search = text.substr(0, 2);
  // Marking and unmarking gives back a text that has no markup of its own.
  if (text.find_first_of(u"<>&") == String::npos && !search.empty()) {
    for (bool caseSensitive : {false, true}) {
      String marked = HighlightHtmlText(text, search, u"hi", caseSensitive);
      if (UnHighlightHtmlText(marked, u"hi") != text) std::abort();
    }
  }
  String edited = text;
  const String id = NextHtmlControl(text, String());
  if (HasHtmlControl(text)) {
    GetHtmlControlInfo(text, id);
    GetHtmlControlMaxLen(text, id);
    // Writing a value twice changes nothing the second time, when the tag is the only markup
    // and no attribute holds an "=": attributes are found by searching "NAME=" and copied as
    // written, so one holding another's name or a tag of its own reads differently once moved.
    const THtmlControlTag t = ParseControlTag(text.substr(text.find(u'<')));
    const bool plain = text.find(u'<') == text.rfind(u'<') &&
                       (t.Type + t.Id + t.Width + t.Prop + t.MaxLen).find(u'=') == String::npos;
    if (SetHtmlControlValue(edited, id, u"v<&>\"") && plain) {
      String again = edited;
      if (!SetHtmlControlValue(again, id, u"v<&>\"") || again != edited) std::abort();
    }
    ResetHtmlRadioButtons(text);
  }
  int position = 0;
  FindTextFrom(search, text, 1, false, position);
  HtmlCharPos(text, static_cast<int>(text.size() / 2));
  StrToIntLoose(text);
  UnwrapHashMarkers(text);
  LineBreaksToBr(text, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3 || size > 64 * 1024) return 0;
  static TTarget target;
  const String html =
      UTF8ToString(std::string_view(reinterpret_cast<const char*>(data + 3), size - 3));
  THtmlRenderOptions o;
  o.WordWrap = (data[0] & 1) == 0;
  o.Selected = (data[0] & 4) != 0;
  o.HoverOnlyLink = (data[0] & 8) != 0;
  o.HoverLink = 1;
  o.FocusLink = 0;
  o.XPos = data[1];
  o.YPos = data[2] / 2;
  o.PictureContainer = &target.Box;
  o.PictureCache = &target.Cache;
  THtmlRenderResult result;
  o.MeasureOnly = true;
  RenderHtmlText(&target.Canvas, html, TRect{0, 0, 200, 120}, o, result);
  if (result.HeightOut <= 0 || result.WidthOut < 0) std::abort();
  o.MeasureOnly = false;
  o.HitTest = (data[0] & 2) != 0;
  RenderHtmlText(&target.Canvas, html, TRect{0, 0, 200, 120}, o, result);
  target.Cache.ClearPictures();
  CheckTextOperations(html);
  return 0;
}
