// Shell execution: opening a link with the desktop's handler. Only links of the schemes http,
// https and mailto are opened, and only with the "open" verb; files, programs and other schemes
// are refused, so a link from the data can never start a program.
#pragma once

#include "platform/gdi/Raster.h"
#include "platform/rtl/Types.h"
#include "platform/win/WinDefs.h"

constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_NOASSOC = 31;

// Answers a value above 32 when the link was handed to the desktop, else an error number
// (SE_ERR_ACCESSDENIED for a refused link or verb, ERROR_FILE_NOT_FOUND for an empty one,
// SE_ERR_NOASSOC when the desktop could not open it).
HINSTANCE ShellExecute(HWND window, const String& operation, const String& file,
                       const String& parameters, const String& directory, int showCommand);
// Whether a link may be opened: a scheme of the allow-list followed by something.
bool IsAllowedUrl(const String& url);

// The system image list, drawn by us: a file, a folder and a few file types, 16 pixels square
// (small) and 32 (large).
int SystemImageCount();
// An index out of range gives an empty picture.
const TRasterImage& SystemImage(int index, bool large);
// The folder picture for a directory, a known extension's own picture, else the file picture.
int SystemImageIndex(const String& name, bool isDirectory);
