// The clipboard of the session, in memory: data in global memory blocks by format, standard and
// registered formats ("Rich Text Format", "HTML Format", a grid's own cells). Text set as one of
// CF_UNICODETEXT and CF_TEXT (UTF-8 here) can be read as the other. The data set is owned by the
// clipboard until it is emptied.
#pragma once

#include "platform/rtl/Types.h"
#include "platform/win/GlobalMemory.h"
#include "platform/win/WinDefs.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_HDROP = 15;
constexpr UINT CF_LOCALE = 16;

// One number per name (ignoring case), shared with RegisterWindowMessage as the system does.
UINT RegisterClipboardFormat(const String& name);
String GetClipboardFormatName(UINT format);
// The format registered under a name (ignoring case); 0 when none is, and nothing is registered.
UINT FindClipboardFormat(const String& name);

// Opening fails while another window has the clipboard open.
bool OpenClipboard(HWND owner);
bool CloseClipboard();
// Frees the data and makes the opener the owner; the clipboard must be open.
bool EmptyClipboard();
// Hands a block to the clipboard (which frees it later); the clipboard must be open. Answers the
// block, or nullptr on failure (the caller still owns the block then).
HGLOBAL SetClipboardData(UINT format, HGLOBAL data);
// The clipboard's block of a format (owned by the clipboard); the clipboard must be open.
HGLOBAL GetClipboardData(UINT format);
bool IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
// The format after the given one (0: the first); 0 after the last.
UINT EnumClipboardFormats(UINT format);
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
// Counts the changes of the clipboard's content.
DWORD GetClipboardSequenceNumber();
