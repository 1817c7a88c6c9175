#include "download/mirror_list.h"

#include "build_config.h"

MirrorHosts ConfiguredMirrorHosts() {
  return {VARDEX_DOWNLOAD_HOST, VARDEX_SITE_HOST, VARDEX_MIRROR1_HOST, VARDEX_MIRROR2_HOST};
}

std::wstring FormatMirrorQuery(const std::wstring& machineId) {
  return std::wstring(L"?sid=") + PartnerToken + L"&hwx=" + machineId;
}

void AddFirstMirror(std::vector<MirrorEntry>& mirrors, const std::wstring& url32, const std::wstring& url64,
                    const std::wstring& pageUrl, const MachineIdSource& machineId) {
  const std::wstring query = FormatMirrorQuery(machineId());
  MirrorEntry entry{url32, url64, pageUrl};
  if (!pageUrl.empty()) entry.trackerUrl += query;
  mirrors.push_back(entry);
}

void AddMirror(std::vector<MirrorEntry>& mirrors, const std::wstring& pageUrl, const std::wstring& baseFolderUrl,
               const MachineIdSource& machineId) {
  const std::wstring query = FormatMirrorQuery(machineId());
  MirrorEntry entry{baseFolderUrl, std::wstring(), pageUrl};
  if (!pageUrl.empty()) entry.trackerUrl += query;
  entry.url32 += PartnerToken;
  entry.url64 = entry.url32;
  entry.url32 += kInstallerName32;
  entry.url64 += kInstallerName64;
  mirrors.push_back(entry);
}

std::vector<MirrorEntry> BuildMirrorList(const MirrorHosts& hosts, const MachineIdSource& machineId) {
  const std::wstring download = L"http://" + hosts.download;
  const std::wstring site = L"http://" + hosts.site;
  const std::wstring mirror1 = L"http://" + hosts.mirror1;
  const std::wstring mirror2 = L"http://" + hosts.mirror2;
  const std::wstring secureSite = L"https://" + hosts.site;
  const std::wstring token = PartnerToken;

  std::vector<MirrorEntry> mirrors;
  AddFirstMirror(mirrors, download + L"/vardex-free-download/" + token + kInstallerName32,
                 download + L"/vardex-free-download/" + token + kInstallerName64,
                 site + L"/download-vardex-free/" + token + L".php", machineId);
  AddMirror(mirrors, site + L"/download-vardex-free.php", site + L"/download_scanner/", machineId);
  AddMirror(mirrors, mirror1 + L"/download_scanner/download-free.php", mirror1 + L"/download_scanner/", machineId);
  AddMirror(mirrors, mirror2 + L"/download_scanner/download-free.php", mirror2 + L"/download_scanner/", machineId);
  AddMirror(mirrors, secureSite + L"/download_scanner/download-free.php", secureSite + L"/download_scanner/",
            machineId);
  return mirrors;
}
