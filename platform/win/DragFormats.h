// The formats of drag and drop and of the clipboard as other programs on the desktop name them,
// in one table that the X back end's drag and drop and its clipboard bridge share:
//
//   text (CF_UNICODETEXT, CF_TEXT)  UTF8_STRING, text/plain;charset=utf-8, text/plain
//   "Rich Text Format"              text/rtf
//   CF_HDROP                        text/uri-list of file:// URIs
//   "UniformResourceLocator"        text/uri-list of other URIs
//   any other registered format     a target of its own name ("Grid Column", ...)
//
// Nothing here speaks X: targets are names and data are bytes, so the conversions run headless.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/win/DragDrop.h"

inline constexpr const char16_t* CFSTR_RTF = u"Rich Text Format";
inline constexpr const char16_t* CFSTR_URL = u"UniformResourceLocator";

inline constexpr const char* TargetUtf8String = "UTF8_STRING";
inline constexpr const char* TargetTextUtf8 = "text/plain;charset=utf-8";
inline constexpr const char* TargetText = "text/plain";
inline constexpr const char* TargetRtf = "text/rtf";
inline constexpr const char* TargetUriList = "text/uri-list";

// The most a transfer from another program may bring; more reads as nothing.
inline constexpr size_t MaxForeignTransfer = size_t{64} << 20;

// The text targets, best first.
const std::vector<std::string>& ForeignTextTargets();
// The targets a platform format goes out as, best first; none for a format without a name.
std::vector<std::string> ForeignTargetsOf(UINT format);
// The registered format a target of its own name stands for (0 when the name is no registered
// format, or is one of the table's other targets).
UINT FormatOfNamedTarget(std::string_view target);

// --- URI lists ---
struct TUriList {
  std::vector<String> Files;  // file:// URIs of this machine, percent-decoded
  std::vector<String> Urls;   // every other URI, as written
};
// Lines of URIs; comment lines (#) and blank lines are skipped. Only file:// URIs with an empty
// host or "localhost" become file names; one whose decoded path holds a NUL is dropped. A "%" not
// followed by two hex digits stays as it is.
TUriList ParseUriList(std::string_view text);
// The URI list of file names (UTF-8, percent-encoded) and URLs, each line ended by CR LF.
std::string MakeUriList(const std::vector<String>& files, const std::vector<String>& urls);

// A data object's global memory block of a format, as bytes (its size is the block's); false when
// it gives none.
bool ReadDataBlock(IDataObject* data, const FORMATETC& format, std::string& bytes);

// --- Our data going out ---
// The targets a data object offers: those of each format its enumerator lists and QueryGetData
// accepts, without repeats. A data object that cannot enumerate offers none.
std::vector<std::string> ExportTargets(IDataObject* data);
// The bytes a data object gives for a target (text as UTF-8, without a terminator); false when
// it has none.
bool ExportData(IDataObject* data, std::string_view target, std::string& bytes);
