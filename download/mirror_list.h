// The five sources of the installer, in the order they are tried, and the query that identifies
// the build and the machine to the maker's web pages.
#pragma once

#include <functional>
#include <string>
#include <vector>

inline constexpr wchar_t PartnerToken[] = L"salesvane";
inline constexpr wchar_t kInstallerName32[] = L"/vardexS4.exe";
inline constexpr wchar_t kInstallerName64[] = L"/vardexS4_64.exe";

struct MirrorEntry {
  std::wstring url32;
  std::wstring url64;
  std::wstring trackerUrl;  // the source's web page with the query; notified after a good download
};

// Host names (with an optional ":port") of the servers behind the table.
struct MirrorHosts {
  std::wstring download;  // the maker's download server
  std::wstring site;      // the maker's main web site
  std::wstring mirror1;
  std::wstring mirror2;
};

// Computes the machine identifier; asked once per entry.
using MachineIdSource = std::function<std::wstring()>;

// The hosts this build was configured with.
MirrorHosts ConfiguredMirrorHosts();

// "?sid=<token>&hwx=<identifier>".
std::wstring FormatMirrorQuery(const std::wstring& machineId);
// Entry 1, whose URLs are written out whole.
void AddFirstMirror(std::vector<MirrorEntry>& mirrors, const std::wstring& url32, const std::wstring& url64,
                    const std::wstring& pageUrl, const MachineIdSource& machineId);
// Entries 2 to 5: the installer URLs are the base folder URL, the token and the file name.
void AddMirror(std::vector<MirrorEntry>& mirrors, const std::wstring& pageUrl, const std::wstring& baseFolderUrl,
               const MachineIdSource& machineId);
std::vector<MirrorEntry> BuildMirrorList(const MirrorHosts& hosts, const MachineIdSource& machineId);
