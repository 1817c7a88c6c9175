#include "download/download_report.h"

#include "common/text.h"

namespace {

std::wstring Number(int value) { return std::to_wstring(value); }

}  // namespace

std::wstring EscapeAmpersands(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'&')
      escaped += L"&amp;";
    else
      escaped += c;
  }
  return escaped;
}

std::wstring ReportHeaderText(const std::wstring& partnerToken) {
  return L"<ver_log>\n<sid>" + partnerToken + L"</sid>\n";
}

std::wstring ReportLinkStartText(int order) { return L"<link>\n<order>" + Number(order) + L"</order>\n"; }

std::wstring ReportAttemptText(const wchar_t* elementName, const ReportedAttempt& attempt) {
  const std::wstring name = elementName;
  std::wstring text = L"<" + name + L">\n<http>" + Number(attempt.httpStatus) + L"</http>\n<apierr>" +
                      Number(attempt.result) + L"</apierr>\n<url>" + attempt.url + L"</url>\n";
  if (attempt.checked) text += L"<md5>" + attempt.md5 + L"</md5>\n";
  text += attempt.checked && attempt.genuine ? L"<signed>true</signed>\n" : L"<signed>false</signed>\n";
  return text + L"</" + name + L">\n";
}

std::wstring ReportLinkEndText(const std::wstring& trackerUrl) {
  return L"<tracker>" + EscapeAmpersands(trackerUrl) + L"</tracker>\n</link>\n";
}

std::wstring ReportFooterText() { return L"</ver_log>"; }

std::vector<uint8_t> EncodeReportText(const std::wstring& text) {
  std::wstring crlf;
  crlf.reserve(text.size() + text.size() / 8);
  for (wchar_t c : text) {
    if (c == L'\n') crlf += L'\r';
    crlf += c;
  }
  return ToUtf16LeBytes(crlf);
}

std::wstring ReportPathFor(const std::wstring& installerPath, size_t limit) {
  const std::wstring path = installerPath + L".xml";
  return path.size() < limit ? path : std::wstring();
}
