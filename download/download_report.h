// The text of the download report that "-ver" writes next to the installer file: one link element
// per source with both installer widths, as UTF-16LE with a byte-order mark and CRLF line ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What one attempt gave, as the report records it.
struct ReportedAttempt {
  int httpStatus = 0;
  int result = 0;  // libcurl result code, or the moniker's HRESULT
  std::wstring url;
  bool checked = false;  // status 200 and result 0: the file was digested and its signature checked
  std::wstring md5;      // empty: no md5 element
  bool genuine = false;
};

// Every "&" becomes "&amp;", each exactly once.
std::wstring EscapeAmpersands(const std::wstring& text);

std::wstring ReportHeaderText(const std::wstring& partnerToken);
std::wstring ReportLinkStartText(int order);
// elementName is "bit32" or "bit64".
std::wstring ReportAttemptText(const wchar_t* elementName, const ReportedAttempt& attempt);
std::wstring ReportLinkEndText(const std::wstring& trackerUrl);
std::wstring ReportFooterText();

// The bytes that a text-mode UTF-16 file holds for the text: each "\n" as CR LF, little-endian.
std::vector<uint8_t> EncodeReportText(const std::wstring& text);
inline const std::vector<uint8_t> kReportByteOrderMark = {0xFF, 0xFE};

// The report's file name: the installer path and ".xml"; empty when that would not fit in
// `limit` characters with its terminator.
std::wstring ReportPathFor(const std::wstring& installerPath, size_t limit);
