// TCustomRichEdit: the document, the selection and its attributes, the lines, the messages.
#include "platform/ui/RichEdit.h"

#include <algorithm>

#include "platform/rtl/UnicodeText.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Clipbrd.h"

TCustomRichEdit::TCustomRichEdit(TComponent* owner)
    : TCustomControl(owner),
      FLines(std::make_unique<TRichEditStrings>(this)),
      FSelAttributes(std::make_unique<TTextAttributes>(this, false)),
      FDefAttributes(std::make_unique<TTextAttributes>(this, true)),
      FParagraph(std::make_unique<TParaAttributes>(this)) {
  SetBounds(Left(), Top(), 185, 89);
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);
  SetCursor(crIBeam);
  FFontFormat = DefaultFormat();
  FDoc = TRichDocument::FromPlainText(String(), FFontFormat);
}

TCustomRichEdit::~TCustomRichEdit() = default;

TRichCharFormat TCustomRichEdit::DefaultFormat() const {
  if (FDefaultSet) return FDefault;
  TRichCharFormat format;
  format.Name = Font()->Name();
  format.Size = Font()->Size();
  format.Color = Font()->Color();
  format.Style = Font()->Style();
  return format;
}

// What typing at the caret produces: the format set on the empty selection, or the format of the
// character before the caret (the first one at the start).
TRichCharFormat TCustomRichEdit::InsertFormat() const {
  if (FPending) return *FPending;
  if (FDoc.Length() == 0) return DefaultFormat();
  int start = SelStart();
  return FDoc.CharFormat(start > 0 ? start - 1 : 0);
}

void TCustomRichEdit::SetDocument(const TRichDocument& document) {
  FDoc = document;
  FUndo.reset();
  FPending.reset();
  FAnchor = FCaret = 0;
  FScrollY = 0;
  DocumentChanged(false);
}

void TCustomRichEdit::DocumentChanged(bool modified) {
  if (modified) FModified = true;
  FAnchor = std::clamp(FAnchor, 0, FDoc.Length());
  FCaret = std::clamp(FCaret, 0, FDoc.Length());
  InvalidateLayout();
  UpdateCaret();
  Change();
  RequestSize();
}

void TCustomRichEdit::Change() {
  if ((FEventMask & ENM_CHANGE) && OnChange) OnChange(this);
}

void TCustomRichEdit::SelectionChange() {
  if ((FEventMask & ENM_SELCHANGE) && OnSelectionChange) OnSelectionChange(this);
}

void TCustomRichEdit::DoResizeRequest(const TRect& rect) {
  if (OnResizeRequest) OnResizeRequest(this, rect);
}

void TCustomRichEdit::SetWordWrap(bool value) {
  if (FWordWrap == value) return;
  FWordWrap = value;
  InvalidateLayout();
  RequestSize();
}

void TCustomRichEdit::SetHideSelection(bool value) {
  FHideSelection = value;
  Invalidate();
}

void TCustomRichEdit::SetBorderStyle(TBorderStyle value) {
  FBorderStyle = value;
  InvalidateLayout();
}

TRect TCustomRichEdit::FormattingRect() {
  if (FFormatRectSet) return FFormatRect;
  TRect r = ClientRect();
  int inset = FBorderStyle == bsNone ? 1 : 3;
  InflateRect(r, -inset, -inset);
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

void TCustomRichEdit::Resize() {
  InvalidateLayout();
  TCustomControl::Resize();
  RequestSize();
}

// --- Selection -----------------------------------------------------------------------------------

void TCustomRichEdit::SetSel(int start, int end) {
  int anchor = std::clamp(start, 0, FDoc.Length());
  int caret = end < 0 ? FDoc.Length() : std::clamp(end, 0, FDoc.Length());
  if (anchor == FAnchor && caret == FCaret) return;
  FAnchor = anchor;
  FCaret = caret;
  FPending.reset();
  ScrollToCaret();
  UpdateCaret();
  if (HandleAllocated()) Invalidate();
  SelectionChange();
}

void TCustomRichEdit::SetSelStart(int value) { SetSel(value, value); }

void TCustomRichEdit::SetSelLength(int value) { SetSel(SelStart(), SelStart() + std::max(value, 0)); }

String TCustomRichEdit::SelText() const {
  String text = FDoc.Text().substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelLength()));
  String out;
  for (char16_t ch : text) {
    if (ch == u'\r') out += u"\r\n";
    else out += ch;
  }
  return out;
}

void TCustomRichEdit::SetSelText(const String& value) {
  ReplaceRange(SelStart(), SelStart() + SelLength(), value, true);
}

void TCustomRichEdit::SelectAll() { SetSel(0, FDoc.Length()); }

void TCustomRichEdit::ClearSelection() {
  if (SelLength() > 0) ReplaceRange(SelStart(), SelStart() + SelLength(), String(), true);
}

void TCustomRichEdit::Clear() {
  FDoc = TRichDocument::FromPlainText(String(), DefaultFormat());
  FAnchor = FCaret = 0;
  FPending.reset();
  DocumentChanged(true);
}

void TCustomRichEdit::ReplaceRange(int start, int end, const String& text, bool undoable) {
  if (undoable) {
    FUndo = std::make_unique<TRichDocument>(FDoc);
    FUndoAnchor = FAnchor;
    FUndoCaret = FCaret;
  }
  TRichCharFormat format = InsertFormat();
  FDoc.Delete(start, end - start);
  int before = FDoc.Length();
  FDoc.Insert(start, text, format);
  int caret = start + (FDoc.Length() - before);
  FPending.reset();
  FAnchor = FCaret = caret;
  DocumentChanged(true);
  ScrollToCaret();
  SelectionChange();
}

void TCustomRichEdit::Undo() {
  if (!FUndo) return;
  // Undo of an undo restores the text again, as the edit controls do.
  TRichDocument redo = FDoc;
  int anchor = FAnchor, caret = FCaret;
  FDoc = *FUndo;
  *FUndo = std::move(redo);
  FAnchor = FUndoAnchor;
  FCaret = FUndoCaret;
  FUndoAnchor = anchor;
  FUndoCaret = caret;
  DocumentChanged(true);
  SelectionChange();
}

// --- Clipboard -----------------------------------------------------------------------------------

namespace {
UINT RtfFormat() { return RegisterClipboardFormat(u"Rich Text Format"); }
}  // namespace

void TCustomRichEdit::CopyToClipboard() {
  if (SelLength() == 0) return;
  TRichDocument part;
  part = FDoc;
  part.Delete(SelStart() + SelLength(), part.Length());
  part.Delete(0, SelStart());
  AnsiString rtf = WriteRtf(part);
  Clipboard()->Open();
  Clipboard()->SetAsText(SelText());
  TBytes bytes(rtf.begin(), rtf.end());
  bytes.push_back(0);
  Clipboard()->SetAsBytes(RtfFormat(), bytes);
  Clipboard()->Close();
}

void TCustomRichEdit::CutToClipboard() {
  if (FReadOnly || SelLength() == 0) return;
  CopyToClipboard();
  ClearSelection();
}

void TCustomRichEdit::PasteFromClipboard() {
  if (FReadOnly) return;
  // Rich text keeps its formatting; otherwise the text takes the format at the caret.
  if (!FPlainText && Clipboard()->HasFormat(RtfFormat())) {
    TBytes bytes = Clipboard()->AsBytes(RtfFormat());
    AnsiString rtf(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
    TRichDocument pasted = ReadRtf(rtf, InsertFormat());
    FUndo = std::make_unique<TRichDocument>(FDoc);
    FUndoAnchor = FAnchor;
    FUndoCaret = FCaret;
    int start = SelStart();
    FDoc.Delete(start, SelLength());
    // Character by character in runs of one format, so each keeps its look.
    int at = start;
    for (int i = 0; i < pasted.Length();) {
      int j = i + 1;
      while (j < pasted.Length() && pasted.CharFormat(j) == pasted.CharFormat(i)) ++j;
      FDoc.Insert(at, pasted.Text().substr(static_cast<size_t>(i), static_cast<size_t>(j - i)), pasted.CharFormat(i));
      at += j - i;
      i = j;
    }
    FAnchor = FCaret = at;
    DocumentChanged(true);
    SelectionChange();
    return;
  }
  if (Clipboard()->HasFormat(CF_UNICODETEXT)) SetSelText(Clipboard()->AsText());
}

// --- Attributes ----------------------------------------------------------------------------------

TRichCharFormat TTextAttributes::Get() const {
  if (FDefaults) return FOwner->DefaultFormat();
  if (FOwner->SelLength() == 0) return FOwner->InsertFormat();
  return FOwner->FDoc.CharFormat(FOwner->SelStart());
}

void TTextAttributes::Change(const std::function<void(TRichCharFormat&)>& change) {
  TCustomRichEdit* e = FOwner;
  if (FDefaults) {
    // The default format is the whole text's when it is changed (as the control's font is).
    TRichCharFormat format = e->DefaultFormat();
    change(format);
    e->FDefault = format;
    e->FDefaultSet = true;
    e->FDoc.ChangeCharFormat(0, e->FDoc.Length(), change);
    e->DocumentChanged(false);
    return;
  }
  if (e->SelLength() == 0) {
    TRichCharFormat format = e->InsertFormat();
    change(format);
    e->FPending = std::make_unique<TRichCharFormat>(format);
    return;
  }
  e->FDoc.ChangeCharFormat(e->SelStart(), e->SelLength(), change);
  e->DocumentChanged(true);
}

void TTextAttributes::SetName(const String& value) {
  Change([&](TRichCharFormat& f) { f.Name = value; });
}
void TTextAttributes::SetSize(int value) {
  Change([&](TRichCharFormat& f) { f.Size = std::max(value, 1); });
}
void TTextAttributes::SetColor(TColor value) {
  Change([&](TRichCharFormat& f) { f.Color = value; });
}
void TTextAttributes::SetStyle(TFontStyles value) {
  Change([&](TRichCharFormat& f) { f.Style = value; });
}
void TTextAttributes::SetBackColor(TColor value) {
  Change([&](TRichCharFormat& f) { f.BackColor = value; });
}

void TTextAttributes::Assign(TPersistent* source) {
  if (auto* font = dynamic_cast<TFont*>(source)) {
    Change([&](TRichCharFormat& f) {
      f.Name = font->Name();
      f.Size = font->Size();
      f.Color = font->Color();
      f.Style = font->Style();
    });
    return;
  }
  if (auto* other = dynamic_cast<TTextAttributes*>(source)) {
    TRichCharFormat format = other->Get();
    Change([&](TRichCharFormat& f) { f = format; });
    return;
  }
  TPersistent::Assign(source);
}

TRichParaFormat TParaAttributes::Get() const {
  return FOwner->FDoc.ParaFormat(FOwner->FDoc.ParagraphOf(FOwner->SelStart()));
}

void TParaAttributes::Change(const std::function<void(TRichParaFormat&)>& change) {
  FOwner->FDoc.ChangeParaFormat(FOwner->SelStart(), FOwner->SelLength(), change);
  FOwner->DocumentChanged(true);
}

void TParaAttributes::SetAlignment(TAlignment value) {
  Change([&](TRichParaFormat& p) { p.Alignment = value; });
}
void TParaAttributes::SetFirstIndent(int value) {
  Change([&](TRichParaFormat& p) { p.FirstIndent = value * 20; });
}
void TParaAttributes::SetLeftIndent(int value) {
  Change([&](TRichParaFormat& p) { p.LeftIndent = value * 20; });
}
void TParaAttributes::SetRightIndent(int value) {
  Change([&](TRichParaFormat& p) { p.RightIndent = value * 20; });
}

// --- Lines ---------------------------------------------------------------------------------------

String TRichEditStrings::Get(int index) const {
  if (index < 0 || index >= GetCount()) Error(u"List index out of bounds (%d)", index);
  return FOwner->FDoc.ParagraphText(index);
}

// Every paragraph is a line; only an empty document has none.
int TRichEditStrings::GetCount() const {
  const TRichDocument& doc = FOwner->FDoc;
  return doc.Length() == 0 ? 0 : doc.ParagraphCount();
}

void TRichEditStrings::Clear() { FOwner->Clear(); }

void TRichEditStrings::Put(int index, const String& s) {
  if (index < 0 || index >= GetCount()) Error(u"List index out of bounds (%d)", index);
  const TRichDocument& doc = FOwner->FDoc;
  FOwner->ReplaceRange(doc.ParagraphStart(index), doc.ParagraphEnd(index), s, false);
}

void TRichEditStrings::Insert(int index, const String& s) {
  if (index < 0 || index > GetCount()) Error(u"List index out of bounds (%d)", index);
  const TRichDocument& doc = FOwner->FDoc;
  if (index < GetCount()) {
    int at = doc.ParagraphStart(index);
    FOwner->ReplaceRange(at, at, s + u"\r", false);
  } else if (doc.Length() == 0) {
    FOwner->ReplaceRange(0, 0, s, false);
  } else {
    FOwner->ReplaceRange(doc.Length(), doc.Length(), u"\r" + s, false);
  }
}

// A line goes with its mark; the last one with the mark before it, so adding a line and deleting
// it again gives back the same document (and the same size).
void TRichEditStrings::Delete(int index) {
  if (index < 0 || index >= GetCount()) Error(u"List index out of bounds (%d)", index);
  const TRichDocument& doc = FOwner->FDoc;
  int start = doc.ParagraphStart(index);
  int end = doc.ParagraphEnd(index);
  if (index == GetCount() - 1)
    FOwner->ReplaceRange(std::max(start - 1, 0), end, String(), false);
  else
    FOwner->ReplaceRange(start, end + 1, String(), false);
}

String TRichEditStrings::GetTextStr() const {
  String text;
  for (int i = 0; i < GetCount(); ++i) text += Get(i) + u"\r\n";
  return text;
}

// Each line of a text ends with a line break: the last one ends the last line, it adds none.
void TRichEditStrings::SetTextStr(const String& text) {
  String lines = text;
  if (lines.size() >= 2 && lines.compare(lines.size() - 2, 2, u"\r\n") == 0)
    lines.resize(lines.size() - 2);
  else if (!lines.empty() && (lines.back() == u'\n' || lines.back() == u'\r'))
    lines.pop_back();
  FOwner->SetDocument(TRichDocument::FromPlainText(lines, FOwner->DefaultFormat()));
}

void TRichEditStrings::LoadFromStream(TStream* stream) {
  int64_t size = stream->Size() - stream->Position();
  AnsiString data(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  if (!data.empty()) data.resize(static_cast<size_t>(stream->Read(data.data(), static_cast<int32_t>(data.size()))));
  if (!FOwner->FPlainText && IsRtf(data)) {
    FOwner->SetDocument(ReadRtf(data, FOwner->DefaultFormat()));
    return;
  }
  SetTextStr(UTF8ToString(data));
}

void TRichEditStrings::SaveToStream(TStream* stream) const {
  AnsiString data = FOwner->FPlainText ? UTF8Encode(GetTextStr()) : WriteRtf(FOwner->FDoc);
  if (!data.empty()) stream->WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
}

// --- Messages ------------------------------------------------------------------------------------

void TCustomRichEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETTEXT: {
      String text = FDoc.PlainText();
      auto* out = reinterpret_cast<char16_t*>(message.LParam);
      message.Result = 0;
      if (!out || message.WParam == 0) return;
      size_t count = std::min<size_t>(text.size(), message.WParam - 1);
      std::copy_n(text.data(), count, out);
      out[count] = u'\0';
      message.Result = static_cast<LRESULT>(count);
      return;
    }
    case WM_GETTEXTLENGTH: message.Result = static_cast<LRESULT>(FDoc.PlainText().size()); return;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<const char16_t*>(message.LParam);
      String value = text ? String(text) : String();
      AnsiString bytes = UTF8Encode(value);
      if (!FPlainText && IsRtf(bytes))
        SetDocument(ReadRtf(bytes, DefaultFormat()));
      else
        SetDocument(TRichDocument::FromPlainText(value, DefaultFormat()));
      message.Result = 1;
      return;
    }
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL | (FWantReturns ? DLGC_WANTALLKEYS : 0) |
                       (FWantTabs ? DLGC_WANTTAB : 0);
      return;
    case WM_CUT: CutToClipboard(); return;
    case WM_COPY: CopyToClipboard(); return;
    case WM_PASTE: PasteFromClipboard(); return;
    case WM_CLEAR: ClearSelection(); return;
    case WM_UNDO:
    case EM_UNDO:
      message.Result = CanUndo() ? 1 : 0;
      Undo();
      return;
    case EM_CANUNDO: message.Result = CanUndo() ? 1 : 0; return;
    case EM_EMPTYUNDOBUFFER: FUndo.reset(); return;
    case EM_GETSEL: {
      auto start = static_cast<DWORD>(SelStart());
      auto end = static_cast<DWORD>(SelStart() + SelLength());
      if (message.WParam) *reinterpret_cast<DWORD*>(message.WParam) = start;
      if (message.LParam) *reinterpret_cast<DWORD*>(message.LParam) = end;
      message.Result = static_cast<LRESULT>(MAKELONG(start, end));
      return;
    }
    case EM_SETSEL: SetSel(static_cast<int>(message.WParam), static_cast<int>(message.LParam)); return;
    case EM_EXGETSEL:
      if (auto* range = reinterpret_cast<CHARRANGE*>(message.LParam)) {
        range->cpMin = SelStart();
        range->cpMax = SelStart() + SelLength();
      }
      return;
    case EM_EXSETSEL:
      if (auto* range = reinterpret_cast<CHARRANGE*>(message.LParam)) SetSel(range->cpMin, range->cpMax);
      message.Result = SelStart() + SelLength();
      return;
    case EM_REPLACESEL: {
      auto* text = reinterpret_cast<const char16_t*>(message.LParam);
      ReplaceRange(SelStart(), SelStart() + SelLength(), text ? String(text) : String(), message.WParam != 0);
      return;
    }
    case EM_GETMODIFY: message.Result = FModified ? 1 : 0; return;
    case EM_SETMODIFY: FModified = message.WParam != 0; return;
    case EM_SETREADONLY:
      FReadOnly = message.WParam != 0;
      message.Result = 1;
      return;
    case EM_GETRECT:
      if (auto* r = reinterpret_cast<TRect*>(message.LParam)) *r = FormattingRect();
      return;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (auto* r = reinterpret_cast<const TRect*>(message.LParam)) {
        FFormatRect = *r;
        FFormatRectSet = true;
      } else {
        FFormatRectSet = false;
      }
      InvalidateLayout();
      return;
    case EM_GETLINECOUNT: message.Result = static_cast<LRESULT>(std::max<size_t>(LaidOutLines().size(), 1)); return;
    case EM_GETEVENTMASK: message.Result = static_cast<LRESULT>(FEventMask); return;
    case EM_SETEVENTMASK:
      message.Result = static_cast<LRESULT>(FEventMask);
      FEventMask = static_cast<DWORD>(message.LParam);
      return;
    case EM_REQUESTRESIZE: RequestSize(); return;
    case EM_FORMATRANGE:
      message.Result = FormatRange(message.WParam != 0, reinterpret_cast<FORMATRANGE*>(message.LParam));
      return;
    case CN_NOTIFY: {
      auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
      if (header && header->code == EN_REQUESTRESIZE) {
        DoResizeRequest(reinterpret_cast<const REQRESIZE*>(message.LParam)->rc);
        return;
      }
      break;
    }
    case CM_FONTCHANGED:
      // Text in the control's font follows it; text formatted otherwise keeps its look.
      if (!FDefaultSet) {
        TRichCharFormat old = FFontFormat;
        FFontFormat = DefaultFormat();
        FDoc.ChangeCharFormat(0, FDoc.Length(), [&](TRichCharFormat& f) {
          if (f == old) f = FFontFormat;
        });
        InvalidateLayout();
        RequestSize();
      }
      break;
    default: break;
  }
  TCustomControl::Dispatch(message);
}
