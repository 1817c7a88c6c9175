// A client of the local mirror server's control port (tools/mirror): tests choose what each host
// answers and read back the requests it received. It speaks plain Winsock, not the code under
// test. Every call fails the running test with a message when the server does not answer.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The mirror server's host ports: BASE+1 .. BASE+6 are the program's hosts; BASE+2 speaks https
// too; BASE+8 is kept closed.
int MirrorPort(int offset);
constexpr int kDownloadHost = 1, kSiteHost = 2, kMirror1Host = 3, kMirror2Host = 4, kProbeHost = 5, kKbHost = 6;
constexpr int kClosedPort = 8;

// What one host answers for one path (the query is not part of the match). Unset fields keep the
// server's defaults: status 200, an empty body, with a content length, at full speed.
struct MirrorRoute {
  int port = 0;                  // a port from MirrorPort
  std::string path;              // e.g. "/vardexS4.exe"
  std::string scheme;            // "http" or "https" for one scheme only; empty for both
  int status = 200;
  std::string body;              // literal body, or
  int64_t size = -1;             // a generated body of this many bytes (byte i is i % 251), or
  std::wstring file;             // a file's contents (Windows or Unix path)
  bool length = true;            // send Content-Length (without it the connection closes at the end)
  int64_t rate = 0;              // bytes per second; 0 is unlimited
  int64_t stallAfter = -1;       // stop sending after this many body bytes and hold the connection
  bool silent = false;           // read the request and send nothing at all
  bool drop = false;             // read the request and close the connection without an answer
  int redirects = 0;             // this many redirects (to path/__hop/N) before the answer
  int delayMs = 0;               // wait before answering
  std::vector<std::string> headers;  // extra "Name: value" lines
};

struct MirrorRequest {
  int port = 0;
  bool tls = false;
  std::string method;
  std::string path;              // with the query
  std::vector<std::pair<std::string, std::string>> headers;  // in the order received
  std::string body;
  int64_t sent = 0;              // body bytes the server sent in answer
  bool done = false;             // the whole answer went out
  // The first header of that name (case-insensitive); empty when absent.
  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const;
  // Every value sent under that name, in order.
  std::vector<std::string> HeaderValues(const std::string& name) const;
};

// Forgets every route and every recorded request.
void MirrorReset();
void MirrorSetRoute(const MirrorRoute& route);
// The requests received so far, oldest first; port 0 gives those of every host.
std::vector<MirrorRequest> MirrorRequests(int port = 0);
void MirrorClearRequests();

// The byte at offset i of a generated body.
inline uint8_t MirrorBodyByte(int64_t i) { return uint8_t(i % 251); }
// Offset of the first byte of `data` that differs from a generated body, or -1 when all match.
int64_t FirstMismatchWithGeneratedBody(const std::vector<uint8_t>& data);
