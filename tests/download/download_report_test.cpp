#include <gtest/gtest.h>

#include "download/download_report.h"

namespace {

TEST(DownloadReport, EscapesEveryAmpersandOnce) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"", L""},
      {L"http://h/p.php?sid=salesvane&hwx=0a", L"http://h/p.php?sid=salesvane&amp;hwx=0a"},
      {L"&&", L"&amp;&amp;"},
      {L"a&amp;b", L"a&amp;amp;b"},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeAmpersands(c.in), c.out);
}

TEST(DownloadReport, WritesEachAttemptWithItsElements) {
  ReportedAttempt good{200, 0, L"http://h/a.exe", true, L"900150983cd24fb0d6963f7d28e17f72", true};
  EXPECT_EQ(ReportAttemptText(L"bit32", good),
            L"<bit32>\n<http>200</http>\n<apierr>0</apierr>\n<url>http://h/a.exe</url>\n"
            L"<md5>900150983cd24fb0d6963f7d28e17f72</md5>\n<signed>true</signed>\n</bit32>\n");
  ReportedAttempt unsigned_{200, 0, L"u", true, L"d41d8cd98f00b204e9800998ecf8427e", false};
  EXPECT_EQ(ReportAttemptText(L"bit64", unsigned_),
            L"<bit64>\n<http>200</http>\n<apierr>0</apierr>\n<url>u</url>\n"
            L"<md5>d41d8cd98f00b204e9800998ecf8427e</md5>\n<signed>false</signed>\n</bit64>\n");
  // A failed moniker download shows its HRESULT as a negative number, and no md5.
  ReportedAttempt failed{0, int(0x800C0005u), L"https://h/a.exe", false, L"", false};
  EXPECT_EQ(ReportAttemptText(L"bit32", failed),
            L"<bit32>\n<http>0</http>\n<apierr>-2146697211</apierr>\n<url>https://h/a.exe</url>\n"
            L"<signed>false</signed>\n</bit32>\n");
  EXPECT_EQ(ReportHeaderText(L"salesvane"), L"<ver_log>\n<sid>salesvane</sid>\n");
  EXPECT_EQ(ReportLinkStartText(3), L"<link>\n<order>3</order>\n");
  EXPECT_EQ(ReportLinkEndText(L"p?a=1&b=2"), L"<tracker>p?a=1&amp;b=2</tracker>\n</link>\n");
  EXPECT_EQ(ReportFooterText(), L"</ver_log>");
}

TEST(DownloadReport, EncodesAsUtf16LittleEndianWithCrLf) {
  const std::vector<uint8_t> expected = {'a', 0, '\r', 0, '\n', 0, 0xE9, 0, '\r', 0, '\n', 0, 'b', 0};
  EXPECT_EQ(EncodeReportText(L"a\n\u00e9\nb"), expected);
  EXPECT_EQ(kReportByteOrderMark, (std::vector<uint8_t>{0xFF, 0xFE}));
}

TEST(DownloadReport, NamesTheReportAfterTheInstallerOnlyWhenItFits) {
  EXPECT_EQ(ReportPathFor(L"C:\\T\\VXSetup.exe", 260), L"C:\\T\\VXSetup.exe.xml");
  EXPECT_EQ(ReportPathFor(std::wstring(255, L'x'), 260), std::wstring(255, L'x') + L".xml");  // 259 + NUL
  EXPECT_EQ(ReportPathFor(std::wstring(256, L'x'), 260), L"");
}

}  // namespace
