// The signature check under Wine's real WinTrust, on the fixtures that the test environment signed
// with a certificate under its own root CA (in the prefix's machine Root store).
#include <windows.h>

#include "common/handles.h"
#include "download/verification.h"
#include "support/fixtures.h"
#include "support/win_test_support.h"

namespace {

const char* Name(TrustResult result) {
  static const char* const names[] = {"Trusted", "NotSigned", "Failed", "Distrusted", "NotTrusted", "PolicyBlocked"};
  return unsigned(result) < 6 ? names[result] : "?";
}

// The whole sequence as the download routine runs it; Failed when the file cannot be opened.
TrustResult CheckFile(const std::wstring& path) {
  TrustCheck check;
  PrepareTrustCheck(&check);
  const TrustResult result = OpenTrustCheckFile(&check, path.c_str()) ? VerifyFileTrust(&check) : Failed;
  ReleaseTrustCheck(&check);
  return result;
}

TEST(VerifyFileTrust, TrustsOnlyIntactFilesSignedUnderATrustedRoot) {
  struct Case {
    const wchar_t* fixture;
    size_t size;  // 0: whatever the build made
    bool trusted;
  } cases[] = {
      {L"signed.exe", 0, true},
      {L"signed-large.exe", 1048584, true},
      {L"signed-1048577.exe", 1048577, true},  // one byte more of padding in the certificate table
      {L"unsigned.exe", 0, false},
      {L"unsigned-1mib.exe", 1048576, false},
      {L"tampered.exe", 0, false},
  };
  for (const Case& c : cases) {
    if (c.size != 0) {
      EXPECT_EQ(ReadFileBytes(FixturePath(c.fixture)).size(), c.size) << Narrow(c.fixture);
    }
    const TrustResult result = CheckFile(FixturePath(c.fixture));
    printf("  %s: %s\n", Narrow(c.fixture).c_str(), Name(result));
    EXPECT_EQ(result == Trusted, c.trusted) << Narrow(c.fixture) << " gave " << Name(result);
    if (std::wstring(c.fixture).rfind(L"unsigned", 0) == 0) {
      EXPECT_TRUE(result == NotSigned || result == Failed) << Name(result);
    }
  }
}

TEST(VerifyFileTrust, ABytePastTheCertificateTableLeavesNoSignature) {
  // Wine then finds no signature at all (Windows may accept such a file unless its padding check
  // is on).
  EXPECT_EQ(CheckFile(FixturePath(L"signed-trailing.exe")), NotSigned);
}

TEST(TrustCheckRecord, AMissingFileFailsToOpenAndReleaseIsHarmlessAfterwardsAndTwice) {
  TempFolder folder;
  TrustCheck check;
  PrepareTrustCheck(&check);
  EXPECT_EQ(check.file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(check.trustData.dwStateAction, DWORD(WTD_STATEACTION_IGNORE));
  EXPECT_EQ(check.trustData.dwUIChoice, DWORD(WTD_UI_NONE));
  EXPECT_FALSE(OpenTrustCheckFile(&check, (folder / L"VXSetup.exe").c_str()));
  EXPECT_EQ(VerifyFileTrust(&check), Failed);
  ReleaseTrustCheck(&check);
  ReleaseTrustCheck(&check);
  EXPECT_EQ(check.file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(check.catalogInfo.pbCalculatedFileHash, nullptr);
}

TEST(TrustCheckRecord, KeepsTheFileFromBeingChangedWhileOpenAndHandsItOver) {
  TempFolder folder;
  const std::wstring path = folder / L"VXSetup.exe";
  ASSERT_TRUE(WriteFileBytes(path, ReadFileBytes(FixturePath(L"signed.exe"))));
  TrustCheck check;
  PrepareTrustCheck(&check);
  ASSERT_TRUE(OpenTrustCheckFile(&check, path.c_str()));
  EXPECT_GT(check.catalogInfo.cbCalculatedFileHash, 0u);
  EXPECT_EQ(VerifyFileTrust(&check), Trusted);
  EXPECT_EQ(VerifyFileTrust(&check), Trusted) << "a second evaluation of the same record";

  auto openForWriting = [&] {
    return UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  };
  EXPECT_FALSE(openForWriting()) << "the checked file can be replaced while it is open";
  EXPECT_FALSE(DeleteFileW(path.c_str()));
  EXPECT_FALSE(ReadFileBytes(path).empty()) << "reading stays allowed";

  UniqueFileHandle held(TakeTrustCheckFile(&check));
  ASSERT_TRUE(held);
  ReleaseTrustCheck(&check);
  EXPECT_FALSE(openForWriting()) << "ReleaseTrustCheck closed the handed-over file";
  held.reset();
  EXPECT_TRUE(openForWriting());
}

// Puts a certificate into a store of the local machine for the life of the object.
class StoredCertificate {
 public:
  StoredCertificate(DWORD location, const wchar_t* storeName, const std::vector<uint8_t>& der)
      : store_(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, location, storeName)) {
    PCCERT_CONTEXT added = nullptr;
    if (store_ && CertAddEncodedCertificateToStore(store_.get(), X509_ASN_ENCODING, der.data(), DWORD(der.size()),
                                                   CERT_STORE_ADD_REPLACE_EXISTING, &added))
      added_.reset(added);
  }
  ~StoredCertificate() {
    if (added_) CertDeleteCertificateFromStore(added_.release());  // frees the context too
  }
  bool added() const { return bool(added_); }

 private:
  UniqueCertificateStore store_;
  UniqueCertificate added_;
};

TEST(VerifyFileTrust, ASigningCertificateInTheDisallowedStore) {
  const std::vector<uint8_t> der = ReadFileBytes(FixturePath(L"codesign.cer"));
  ASSERT_FALSE(der.empty());
  const struct {
    const char* name;
    DWORD location;
  } stores[] = {{"machine", CERT_SYSTEM_STORE_LOCAL_MACHINE}, {"user", CERT_SYSTEM_STORE_CURRENT_USER}};
  for (const auto& store : stores) {
    TrustResult result;
    {
      StoredCertificate disallowed(store.location, L"Disallowed", der);
      ASSERT_TRUE(disallowed.added()) << FormatWin32Error(GetLastError());
      result = CheckFile(FixturePath(L"signed.exe"));
    }
    printf("  signed.exe with its certificate in the %s's Disallowed store: %s\n", store.name, Name(result));
    // Windows answers TRUST_E_EXPLICIT_DISTRUST; Wine 8 does not look at the Disallowed store.
    EXPECT_TRUE(result == Distrusted || result == Trusted) << Name(result);
    EXPECT_EQ(CheckFile(FixturePath(L"signed.exe")), Trusted) << "the certificate left the store again";
  }
}

TEST(FixtureInstaller, RecordsTheImageAndCommandLineOfEachRun) {
  TempFolder folder;
  const std::wstring record = folder / L"runs.txt";
  const std::wstring image = folder / L"VX Setup.exe";
  ASSERT_TRUE(CopyFileW(FixturePath(L"signed.exe").c_str(), image.c_str(), TRUE));
  ASSERT_TRUE(SetEnvironmentVariableW(kFixtureRecordVariable, record.c_str()));
  for (const std::wstring& line : {image, L"\"" + image + L"\" -x"}) {
    ChildProcess child;
    ASSERT_TRUE(child.Start(image, line));
    ASSERT_TRUE(child.Wait(30000));
  }
  SetEnvironmentVariableW(kFixtureRecordVariable, nullptr);
  const std::vector<FixtureRun> runs = ReadFixtureRuns(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].image, image);
  EXPECT_EQ(runs[0].commandLine, image) << "an unquoted path with a blank stays as it was given";
  EXPECT_EQ(runs[1].commandLine, L"\"" + image + L"\" -x");
}

}  // namespace
