// The rich edit: text with character formats (font, size, colour, styles, highlight) and
// paragraph formats (alignment, indents), loaded from and saved to RTF or plain text, edited with
// keys, mouse and clipboard, laid out with word wrap, and drawn on any device context through
// EM_FORMATRANGE. The control reports the size its content needs with EN_REQUESTRESIZE.
//
// The document is kept in the object (not in the window), so loading, measuring and formatting
// work on a control that is never shown.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/ui/StdCtrls.h"

// --- Messages and notifications ---------------------------------------------------------------

constexpr UINT EM_EXGETSEL = WM_USER + 52;
constexpr UINT EM_EXSETSEL = WM_USER + 55;
constexpr UINT EM_FORMATRANGE = WM_USER + 57;
constexpr UINT EM_GETEVENTMASK = WM_USER + 59;
constexpr UINT EM_REQUESTRESIZE = WM_USER + 65;
constexpr UINT EM_SETEVENTMASK = WM_USER + 69;
constexpr UINT EN_REQUESTRESIZE = 0x0701;
constexpr UINT EN_SELCHANGE = 0x0702;
constexpr DWORD ENM_CHANGE = 0x00000001;
constexpr DWORD ENM_SELCHANGE = 0x00080000;
constexpr DWORD ENM_REQUESTRESIZE = 0x00040000;

struct CHARRANGE {
  int cpMin = 0;
  int cpMax = 0;  // -1: to the end
};

// EM_FORMATRANGE: rc (where to draw) and rcPage are in twips of the device; chrg the characters.
struct FORMATRANGE {
  HDC hdc = nullptr;
  HDC hdcTarget = nullptr;
  TRect rc;
  TRect rcPage;
  CHARRANGE chrg;
};

// What EN_REQUESTRESIZE carries: the rectangle the content needs, in client pixels.
struct REQRESIZE {
  NMHDR nmhdr;
  TRect rc;
};

// --- The document -------------------------------------------------------------------------------

struct TRichCharFormat {
  String Name = u"Tahoma";
  int Size = 8;  // points
  TColor Color = clWindowText;
  TFontStyles Style;
  TColor BackColor = clNone;  // the highlight behind the text
  bool operator==(const TRichCharFormat&) const = default;
};

struct TRichParaFormat {
  TAlignment Alignment = taLeftJustify;
  // Indents in twips (1/1440 inch): the first line's is relative to the left one.
  int FirstIndent = 0;
  int LeftIndent = 0;
  int RightIndent = 0;
  bool operator==(const TRichParaFormat&) const = default;
};

// Text whose paragraphs are separated by a carriage return, a character format for every character
// and a paragraph format for every paragraph.
class TRichDocument {
 public:
  const String& Text() const { return FText; }
  int Length() const { return static_cast<int>(FText.size()); }
  int ParagraphCount() const { return static_cast<int>(FParas.size()); }
  int ParagraphOf(int position) const;
  int ParagraphStart(int paragraph) const;
  // The position of the paragraph's closing mark (or the end of the text).
  int ParagraphEnd(int paragraph) const;
  String ParagraphText(int paragraph) const;
  const TRichCharFormat& CharFormat(int position) const;
  const TRichParaFormat& ParaFormat(int paragraph) const { return FParas.at(static_cast<size_t>(paragraph)); }

  void Clear();
  // Inserts text in one format; line breaks (CR LF, CR or LF) become paragraph marks, and a new
  // paragraph takes the format of the one it was split from.
  void Insert(int position, const String& text, const TRichCharFormat& format);
  // Removes characters; paragraphs joined keep the first one's format.
  void Delete(int position, int count);
  void ChangeCharFormat(int start, int count, const std::function<void(TRichCharFormat&)>& change);
  // Changes the paragraphs that the range touches.
  void ChangeParaFormat(int start, int count, const std::function<void(TRichParaFormat&)>& change);
  void SetParaFormat(int paragraph, const TRichParaFormat& format);
  // The text with CR LF between paragraphs.
  String PlainText() const;
  // A document made of plain text in one format.
  static TRichDocument FromPlainText(const String& text, const TRichCharFormat& format);

 private:
  int FormatIndex(const TRichCharFormat& format);

  String FText;
  std::vector<int> FCharFormats;              // one index into FFormats a character
  std::vector<TRichCharFormat> FFormats{TRichCharFormat()};
  std::vector<TRichParaFormat> FParas{TRichParaFormat()};
};

// Whether bytes start as an RTF document does ("{\rtf").
bool IsRtf(const AnsiString& data);
// Reads an RTF document; text outside RTF's structure is taken as it is, never raising. Characters
// without a font get `defaults`.
TRichDocument ReadRtf(const AnsiString& rtf, const TRichCharFormat& defaults);
// Writes the document as RTF (ASCII only: other characters as \u escapes).
AnsiString WriteRtf(const TRichDocument& document);

// --- The control --------------------------------------------------------------------------------

class TCustomRichEdit;

// The character format of the selection: read from its first character, written to all of it (or,
// for an empty selection, to what is typed next).
class TTextAttributes : public TPersistent {
 public:
  explicit TTextAttributes(TCustomRichEdit* owner, bool defaults) : FOwner(owner), FDefaults(defaults) {}
  String Name() const { return Get().Name; }
  void SetName(const String& value);
  int Size() const { return Get().Size; }
  void SetSize(int value);
  TColor Color() const { return Get().Color; }
  void SetColor(TColor value);
  TFontStyles Style() const { return Get().Style; }
  void SetStyle(TFontStyles value);
  TColor BackColor() const { return Get().BackColor; }
  void SetBackColor(TColor value);
  // Takes name, size, colour and style of a TFont, or everything of other attributes.
  void Assign(TPersistent* source) override;

 private:
  TRichCharFormat Get() const;
  void Change(const std::function<void(TRichCharFormat&)>& change);
  TCustomRichEdit* FOwner;
  bool FDefaults;
};

// The paragraph format of the paragraphs the selection touches (read from the first). Indents are
// in points.
class TParaAttributes : public TPersistent {
 public:
  explicit TParaAttributes(TCustomRichEdit* owner) : FOwner(owner) {}
  TAlignment Alignment() const { return Get().Alignment; }
  void SetAlignment(TAlignment value);
  int FirstIndent() const { return Get().FirstIndent / 20; }
  void SetFirstIndent(int value);
  int LeftIndent() const { return Get().LeftIndent / 20; }
  void SetLeftIndent(int value);
  int RightIndent() const { return Get().RightIndent / 20; }
  void SetRightIndent(int value);

 private:
  TRichParaFormat Get() const;
  void Change(const std::function<void(TRichParaFormat&)>& change);
  TCustomRichEdit* FOwner;
};

// The paragraphs as lines; loading and saving go through RTF unless the control is PlainText.
class TRichEditStrings : public TStrings {
 public:
  explicit TRichEditStrings(TCustomRichEdit* owner) : FOwner(owner) {}
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const String& s) override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) const override;
  using TStrings::LoadFromStream;
  using TStrings::SaveToStream;

 protected:
  String Get(int index) const override;
  int GetCount() const override;
  void Put(int index, const String& s) override;
  String GetTextStr() const override;
  void SetTextStr(const String& text) override;

 private:
  TCustomRichEdit* FOwner;
};

// One laid-out line: characters [Start, End) of the document, where it lies and where each
// character's left edge is (CharX has End - Start + 1 entries, the last the line's right end).
struct TRichLine {
  int Start = 0;
  int End = 0;
  int Paragraph = 0;
  int Top = 0;
  int Height = 0;
  int Ascent = 0;
  std::vector<int> CharX;
};

using TRichEditResizeEvent = std::function<void(TObject* sender, const TRect& rect)>;

class TCustomRichEdit : public TCustomControl {
 public:
  explicit TCustomRichEdit(TComponent* owner);
  ~TCustomRichEdit() override;

  TRichEditStrings* Lines() const { return FLines.get(); }
  const TRichDocument& Document() const { return FDoc; }
  void SetDocument(const TRichDocument& document);
  bool PlainText() const { return FPlainText; }
  void SetPlainText(bool value) { FPlainText = value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  // Whether the control asks for Enter (a new paragraph) and Tab (a tab character); keys it does
  // not ask for are the dialog's (default button, next control).
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value) { FWantTabs = value; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }

  // --- Selection (positions count characters; a paragraph mark is one) ---
  int SelStart() const { return std::min(FAnchor, FCaret); }
  void SetSelStart(int value);
  int SelLength() const { return std::abs(FCaret - FAnchor); }
  void SetSelLength(int value);
  String SelText() const;
  void SetSelText(const String& value);
  void SelectAll();
  void ClearSelection();
  TTextAttributes* SelAttributes() const { return FSelAttributes.get(); }
  TTextAttributes* DefAttributes() const { return FDefAttributes.get(); }
  TParaAttributes* Paragraph() const { return FParagraph.get(); }

  // --- Clipboard and undo ---
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  bool CanUndo() const { return FUndo != nullptr; }
  void Undo();
  void Clear();

  // The rectangle the text is laid out in (client coordinates); EM_SETRECT changes it.
  TRect FormattingRect();
  // The lines as laid out for the window (for tests and hit testing).
  const std::vector<TRichLine>& LaidOutLines();
  // Asks for EN_REQUESTRESIZE with the content's size now.
  void RequestSize();

  TNotifyEvent OnChange;
  TNotifyEvent OnSelectionChange;
  TRichEditResizeEvent OnResizeRequest;

  void Dispatch(TMessage& message) override;

 protected:
  friend class TTextAttributes;
  friend class TParaAttributes;
  friend class TRichEditStrings;

  void Paint() override;
  void Resize() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoEnter() override;
  void DoExit() override;
  virtual void Change();
  virtual void SelectionChange();
  // The content asked for a size (EN_REQUESTRESIZE came back to the control).
  virtual void DoResizeRequest(const TRect& rect);

  // Document edits: every change of text or format comes through here.
  void ReplaceRange(int start, int end, const String& text, bool undoable);
  void DocumentChanged(bool modified);
  TRichCharFormat InsertFormat() const;
  TRichCharFormat DefaultFormat() const;

 private:
  // Lays the document out for a context at a width in pixels (wrapping when wrap is set).
  std::vector<TRichLine> Layout(HDC dc, int first, int width, bool wrap) const;
  void DrawLines(HDC dc, const std::vector<TRichLine>& lines, TPoint origin, int width, bool selection);
  LRESULT FormatRange(bool render, FORMATRANGE* range);
  void InvalidateLayout();
  int PositionAt(TPoint client);
  void MoveCaret(int position, bool extend);
  void SetSel(int start, int end);
  void UpdateCaret();
  void ScrollToCaret();
  int LineOf(int position);
  TRect ContentRect();

  TRichDocument FDoc;
  std::unique_ptr<TRichEditStrings> FLines;
  std::unique_ptr<TTextAttributes> FSelAttributes;
  std::unique_ptr<TTextAttributes> FDefAttributes;
  std::unique_ptr<TParaAttributes> FParagraph;
  std::unique_ptr<TRichDocument> FUndo;
  int FUndoAnchor = 0;
  int FUndoCaret = 0;
  TRichCharFormat FDefault;
  bool FDefaultSet = false;
  // The control's font as a format, when the text last followed it.
  TRichCharFormat FFontFormat;
  // The format typed text takes when set on an empty selection; forgotten when the caret moves.
  std::unique_ptr<TRichCharFormat> FPending;
  int FAnchor = 0;
  int FCaret = 0;
  int FScrollY = 0;
  bool FPlainText = false;
  bool FWordWrap = true;
  bool FReadOnly = false;
  bool FWantReturns = true;
  bool FWantTabs = false;
  bool FHideSelection = true;
  bool FModified = false;
  bool FSelecting = false;
  bool FCaretCreated = false;
  bool FRequesting = false;
  TBorderStyle FBorderStyle = bsSingle;
  DWORD FEventMask = ENM_REQUESTRESIZE | ENM_SELCHANGE | ENM_CHANGE;
  TRect FFormatRect;
  bool FFormatRectSet = false;
  std::vector<TRichLine> FLayout;
  bool FLayoutValid = false;
  int FLayoutWidth = -1;
};

class TRichEdit : public TCustomRichEdit {
 public:
  explicit TRichEdit(TComponent* owner) : TCustomRichEdit(owner) {}
};
