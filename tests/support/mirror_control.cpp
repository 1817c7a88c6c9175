#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/mirror_control.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "common/handles.h"
#include "test_config.h"

namespace {

constexpr int kControlOffset = 9;

struct SocketTraits {
  using Type = SOCKET;
  static Type Invalid() { return INVALID_SOCKET; }
  static void Close(Type value) { closesocket(value); }
};
using UniqueSocket = UniqueResource<SocketTraits>;

void StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

bool SendAll(SOCKET s, const std::string& data) {
  for (size_t done = 0; done < data.size();) {
    const int n = send(s, data.data() + done, int(data.size() - done), 0);
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// One HTTP/1.0 exchange with the control port; returns the status (0 when it failed) and the body.
int Exchange(const std::string& method, const std::string& target, const std::string& form, std::string* body) {
  StartWinsock();
  UniqueSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!s) return 0;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(u_short(MirrorPort(kControlOffset)));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 0;
  std::string request = method + " " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n";
  if (!form.empty()) request += "Content-Type: application/x-www-form-urlencoded\r\n";
  request += "Content-Length: " + std::to_string(form.size()) + "\r\n\r\n" + form;
  if (!SendAll(s.get(), request)) return 0;
  std::string reply;
  char chunk[65536];
  for (int n; (n = recv(s.get(), chunk, sizeof chunk, 0)) > 0;) reply.append(chunk, size_t(n));
  const size_t head = reply.find("\r\n\r\n");
  if (reply.compare(0, 9, "HTTP/1.0 ") != 0 || head == std::string::npos) return 0;
  *body = reply.substr(head + 4);
  return atoi(reply.c_str() + 9);
}

void Call(const std::string& method, const std::string& target, const std::string& form, std::string* body) {
  const int status = Exchange(method, target, form, body);
  if (status != 200)
    ADD_FAILURE() << "mirror control " << target << " answered " << status << ": " << *body
                  << " (is the mirror server of the test environment running?)";
}

std::string FormEscape(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += char(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.push_back(std::string());
  return fields;
}

std::string RouteForm(const MirrorRoute& route) {
  std::string form = "port=" + std::to_string(route.port) + "&path=" + FormEscape(route.path) +
                     "&status=" + std::to_string(route.status) + "&length=" + (route.length ? "1" : "0") +
                     "&rate=" + std::to_string(route.rate) + "&stall_after=" + std::to_string(route.stallAfter) +
                     "&silent=" + (route.silent ? "1" : "0") + "&drop=" + (route.drop ? "1" : "0") + "&redirects=" + std::to_string(route.redirects) +
                     "&delay_ms=" + std::to_string(route.delayMs);
  if (!route.scheme.empty()) form += "&scheme=" + route.scheme;
  if (!route.file.empty()) form += "&file=" + FormEscape(Utf8(route.file));
  else if (route.size >= 0) form += "&size=" + std::to_string(route.size);
  else form += "&body=" + FormEscape(route.body);
  for (const std::string& header : route.headers) form += "&header=" + FormEscape(header);
  return form;
}

}  // namespace

int MirrorPort(int offset) { return VARDEX_TEST_PORT_BASE + offset; }

std::string MirrorRequest::Header(const std::string& name) const {
  for (const auto& header : headers)
    if (_stricmp(header.first.c_str(), name.c_str()) == 0) return header.second;
  return std::string();
}

bool MirrorRequest::HasHeader(const std::string& name) const {
  for (const auto& header : headers)
    if (_stricmp(header.first.c_str(), name.c_str()) == 0) return true;
  return false;
}

std::vector<std::string> MirrorRequest::HeaderValues(const std::string& name) const {
  std::vector<std::string> values;
  for (const auto& header : headers)
    if (_stricmp(header.first.c_str(), name.c_str()) == 0) values.push_back(header.second);
  return values;
}

void MirrorReset() {
  std::string body;
  Call("POST", "/reset", std::string(), &body);
}

void MirrorClearRequests() {
  std::string body;
  Call("POST", "/clear", std::string(), &body);
}

void MirrorSetRoute(const MirrorRoute& route) {
  std::string body;
  Call("POST", "/route", RouteForm(route), &body);
}

std::vector<MirrorRequest> MirrorRequests(int port) {
  std::string body;
  Call("GET", "/requests?port=" + std::to_string(port), std::string(), &body);
  std::vector<MirrorRequest> requests;
  std::stringstream stream(body);
  for (std::string line; std::getline(stream, line);) {
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() == 9 && f[0] == "R") {
      MirrorRequest r;
      r.port = atoi(f[2].c_str());
      r.tls = f[3] == "1";
      r.method = Unescape(f[4]);
      r.path = Unescape(f[5]);
      r.sent = _atoi64(f[6].c_str());
      r.done = f[7] == "1";
      r.body = Unescape(f[8]);
      requests.push_back(r);
    } else if (f.size() == 3 && f[0] == "H" && !requests.empty()) {
      requests.back().headers.emplace_back(Unescape(f[1]), Unescape(f[2]));
    }
  }
  return requests;
}

int64_t FirstMismatchWithGeneratedBody(const std::vector<uint8_t>& data) {
  for (size_t i = 0; i < data.size(); ++i)
    if (data[i] != MirrorBodyByte(int64_t(i))) return int64_t(i);
  return -1;
}
