#!/usr/bin/env python3
"""A local stand-in for the download servers and web sites, for the tests.

One process listens on several loopback ports at once, one "host" per port, and on a control port
through which the tests choose what each host answers and read back every request it received.
Ports that speak TLS are told apart per connection by the first byte (0x16 opens a TLS handshake),
so one port serves http and https alike. Standard library only. See README.md beside this file.
"""

import argparse
import json
import os
import select
import signal
import socket
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PATTERN_PERIOD = 251  # generated bodies: byte i is i % 251
PATTERN = bytes(i % PATTERN_PERIOD for i in range(PATTERN_PERIOD * 4096 + PATTERN_PERIOD))
CHUNK = PATTERN_PERIOD * 4096
STALL_HOLD_SECONDS = 600  # a stalled or silent answer gives up waiting for the client after this
HOP_MARK = "/__hop/"

lock = threading.Lock()
routes = {}  # (port, path, scheme) -> Route; scheme "" answers http and https alike
requests = []  # Recorded, in arrival order
next_id = [1]


class Route:
    FIELDS = {
        "status": int, "body": str, "size": int, "file": str, "length": int, "rate": int,
        "stall_after": int, "silent": int, "redirects": int, "redirect_status": int,
        "delay_ms": int, "close": int, "drop": int, "content_type": str,
    }

    def __init__(self, params):
        self.status = 200
        self.body = ""
        self.size = -1
        self.file = ""
        self.length = 1
        self.rate = 0
        self.stall_after = -1
        self.silent = 0
        self.redirects = 0
        self.redirect_status = 302
        self.delay_ms = 0
        self.close = 0
        self.drop = 0
        self.content_type = "application/octet-stream"
        self.headers = []
        for name, values in params.items():
            if name == "header":
                for v in values:
                    key, _, value = v.partition(":")
                    self.headers.append((key.strip(), value.strip()))
            elif name in self.FIELDS:
                setattr(self, name, self.FIELDS[name](values[-1]))
            elif name not in ("port", "path", "scheme"):
                raise ValueError("unknown route field " + name)
        if self.file:
            self.file = unix_path(self.file)
            if not os.path.isfile(self.file):
                raise ValueError("no such file " + self.file)

    def body_length(self):
        if self.file:
            return os.path.getsize(self.file)
        if self.size >= 0:
            return self.size
        return len(self.body.encode("latin-1"))


def unix_path(path):
    """Accepts the tests' Windows view of the Unix tree (Z:\\...) as well as a Unix path."""
    if len(path) > 2 and path[1] == ":" and path[0] in "Zz":
        return path[2:].replace("\\", "/")
    return path


class Recorded:
    def __init__(self, port, tls, method, target, headers, body):
        with lock:
            self.id = next_id[0]
            next_id[0] += 1
        self.port, self.tls, self.method, self.path = port, tls, method, target
        self.headers, self.body = headers, body
        self.sent = 0  # body bytes sent so far
        self.done = False  # the whole answer went out


def escape(data):
    if isinstance(data, str):
        data = data.encode("latin-1", "replace")
    return "".join(chr(b) if 0x21 <= b <= 0x7E and b != 0x25 else "%%%02X" % b for b in data)


def read_request(reader):
    line = reader.readline(65537)
    while line in (b"\r\n", b"\n"):
        line = reader.readline(65537)
    if not line:
        return None
    parts = line.decode("latin-1").rstrip("\r\n").split(" ")
    if len(parts) != 3:
        return None
    method, target, version = parts
    headers = []
    while True:
        h = reader.readline(65537)
        if not h or h in (b"\r\n", b"\n"):
            break
        name, _, value = h.decode("latin-1").rstrip("\r\n").partition(":")
        headers.append((name.strip(), value.strip()))
    lookup = {n.lower(): v for n, v in headers}
    body = b""
    if lookup.get("transfer-encoding", "").lower() == "chunked":
        while True:
            size = int(reader.readline().split(b";")[0].strip() or b"0", 16)
            if size == 0:
                while reader.readline() not in (b"\r\n", b"\n", b""):
                    pass
                break
            body += reader.read(size)
            reader.readline()
    elif "content-length" in lookup:
        body = reader.read(int(lookup["content-length"]))
    return method, target, version, headers, body


class Answer:
    """Sends one route's answer on a connection; returns whether the connection may go on."""

    def __init__(self, sock, record, route, host, hop):
        self.sock, self.record, self.route, self.host, self.hop = sock, record, route, host, hop

    def send_head(self, status, headers):
        lines = ["HTTP/1.1 %d %s" % (status, reason(status))]
        lines += ["%s: %s" % h for h in headers]
        self.sock.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))

    def run(self):
        route, rec = self.route, self.record
        if route.delay_ms:
            time.sleep(route.delay_ms / 1000.0)
        if route.silent:
            hold(self.sock)
            return False
        if route.drop:
            return False  # the connection closes without a word
        if self.hop < route.redirects:
            return self.redirect()
        length = route.body_length()
        keep = bool(route.length) and not route.close
        headers = [("Content-Type", route.content_type)]
        if route.length:
            headers.append(("Content-Length", str(length)))
        headers.append(("Connection", "keep-alive" if keep else "close"))
        headers += route.headers
        self.send_head(route.status, headers)
        if rec.method != "HEAD":
            limit = length if route.stall_after < 0 else min(length, route.stall_after)
            self.send_body(limit)
            if limit < length:
                hold(self.sock)
                return False
        rec.done = True
        return keep

    def redirect(self):
        path = self.record.path.split("?", 1)[0]
        base = path.split(HOP_MARK, 1)[0]
        query = self.record.path[len(path):]
        scheme = "https" if self.record.tls else "http"
        location = "%s://%s%s%s%d%s" % (scheme, self.host, base, HOP_MARK, self.hop + 1, query)
        self.send_head(self.route.redirect_status,
                       [("Location", location), ("Content-Length", "0"), ("Connection", "keep-alive")])
        self.record.done = True
        return True

    def send_body(self, limit):
        route, rec = self.route, self.record
        started = time.monotonic()
        source = open(route.file, "rb") if route.file else None
        text = route.body.encode("latin-1") if not route.file and route.size < 0 else None
        try:
            while rec.sent < limit:
                n = min(CHUNK, limit - rec.sent)
                if route.rate > 0:
                    n = min(n, max(1, route.rate // 20))
                if source:
                    piece = source.read(n)
                elif text is not None:
                    piece = text[rec.sent:rec.sent + n]
                else:
                    start = rec.sent % PATTERN_PERIOD
                    piece = memoryview(PATTERN)[start:start + n]
                if not piece:
                    break
                self.sock.sendall(piece)
                rec.sent += len(piece)
                if route.rate > 0:
                    delay = started + rec.sent / route.rate - time.monotonic()
                    if delay > 0:
                        time.sleep(delay)
        finally:
            if source:
                source.close()


def hold(sock):
    """Keeps the connection open, sending nothing, until the client gives up."""
    deadline = time.monotonic() + STALL_HOLD_SECONDS
    while time.monotonic() < deadline:
        readable, _, _ = select.select([sock], [], [], 1.0)
        if readable:
            try:
                if not sock.recv(65536):
                    return
            except (OSError, ssl.SSLError):
                return


def close_tls(sock):
    """Ends TLS with a close notification, so that a body without a length ends cleanly."""
    try:
        sock.settimeout(2.0)
        sock.unwrap()
    except (OSError, ssl.SSLError, ValueError):
        pass


def reason(status):
    from http import HTTPStatus
    try:
        return HTTPStatus(status).phrase
    except ValueError:
        return "Status"


def find_route(port, path, tls):
    plain = path.split("?", 1)[0]
    base, hop = plain, 0
    if HOP_MARK in plain:
        base, _, number = plain.partition(HOP_MARK)
        hop = int(number) if number.isdigit() else 0
    with lock:
        route = routes.get((port, base, "https" if tls else "http")) or routes.get((port, base, ""))
    return route, hop


class HostHandler(socketserver.BaseRequestHandler):
    def handle(self):
        sock = self.request
        port = self.server.server_address[1]
        try:
            first = sock.recv(1, socket.MSG_PEEK)
        except OSError:
            return
        tls = bool(first) and first[0] == 0x16
        if tls:
            if self.server.tls_context is None:
                return
            try:
                sock = self.server.tls_context.wrap_socket(sock, server_side=True)
            except (OSError, ssl.SSLError) as e:
                log("port %d: TLS handshake failed: %s" % (port, e))
                return
        reader = sock.makefile("rb")
        try:
            while self.serve_one(sock, reader, port, tls):
                pass
        except (OSError, ssl.SSLError, ValueError):
            pass
        finally:
            reader.close()
            if tls:
                close_tls(sock)

    def serve_one(self, sock, reader, port, tls):
        request = read_request(reader)
        if request is None:
            return False
        method, target, version, headers, body = request
        record = Recorded(port, tls, method, target, headers, body)
        with lock:
            requests.append(record)
        host = dict((n.lower(), v) for n, v in headers).get("host", "127.0.0.1:%d" % port)
        route, hop = find_route(port, target, tls)
        if route is None:
            route = Route({"status": ["404"], "body": ["not found\n"]})
        keep = Answer(sock, record, route, host, hop).run()
        connection = dict((n.lower(), v.lower()) for n, v in headers).get("connection", "")
        if version == "HTTP/1.0" and connection != "keep-alive":
            keep = False
        return keep and connection != "close"


class HostServer(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True
    request_queue_size = 64

    def __init__(self, port, tls_context):
        self.tls_context = tls_context
        super().__init__(("127.0.0.1", port), HostHandler)


def requests_text(port):
    out = []
    with lock:
        selected = [r for r in requests if port == 0 or r.port == port]
    for r in selected:
        out.append("R\t%d\t%d\t%d\t%s\t%s\t%d\t%d\t%s" % (r.id, r.port, int(r.tls), escape(r.method),
                                                       escape(r.path), r.sent, int(r.done), escape(r.body)))
        out += ["H\t%s\t%s" % (escape(n), escape(v)) for n, v in r.headers]
    return "".join(line + "\n" for line in out)


def requests_json(port):
    with lock:
        selected = [r for r in requests if port == 0 or r.port == port]
    return json.dumps([{"id": r.id, "port": r.port, "tls": r.tls, "method": r.method, "path": r.path,
                        "headers": r.headers, "body": r.body.decode("latin-1"), "sent": r.sent,
                        "done": r.done} for r in selected], indent=1)


class ControlHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def params(self):
        url = urllib.parse.urlsplit(self.path)
        params = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            form = urllib.parse.parse_qs(self.rfile.read(length).decode("utf-8"), keep_blank_values=True)
            for k, v in form.items():
                params.setdefault(k, []).extend(v)
        return url.path, params

    def answer(self, status, text, content_type="text/plain"):
        data = text.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        path, params = self.params()
        port = int(params.get("port", ["0"])[-1])
        if path == "/ping":
            self.answer(200, "ok\n")
        elif path == "/requests":
            self.answer(200, requests_text(port))
        elif path == "/requests.json":
            self.answer(200, requests_json(port), "application/json")
        else:
            self.answer(404, "unknown control path\n")

    def do_POST(self):
        path, params = self.params()
        try:
            if path == "/reset":
                with lock:
                    routes.clear()
                    requests.clear()
            elif path == "/clear":
                with lock:
                    requests.clear()
            elif path == "/route":
                port = int(params["port"][-1])
                if port not in self.server.host_ports:
                    raise ValueError("port %d is not one of the hosts" % port)
                scheme = params.get("scheme", [""])[-1]
                if scheme not in ("", "http", "https"):
                    raise ValueError("scheme is http, https or empty")
                route = Route(params)
                with lock:
                    routes[(port, params["path"][-1], scheme)] = route
            else:
                self.answer(404, "unknown control path\n")
                return
        except (KeyError, ValueError) as e:
            self.answer(400, "bad request: %s\n" % e)
            return
        self.answer(200, "ok\n")


def log(text):
    sys.stderr.write("%s %s\n" % (time.strftime("%H:%M:%S"), text))
    sys.stderr.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--base", type=int, required=True, help="port base: hosts on BASE+1..BASE+6, control on BASE+9")
    parser.add_argument("--hosts", type=int, default=6, help="number of host ports")
    parser.add_argument("--cert", help="PEM certificate chain for TLS (a name such as localhost)")
    parser.add_argument("--key", help="PEM private key of the certificate")
    parser.add_argument("--pidfile", help="where to write this process's id")
    args = parser.parse_args()

    context = None
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
    host_ports = [args.base + i for i in range(1, args.hosts + 1)]
    servers = [HostServer(p, context) for p in host_ports]
    control = ThreadingHTTPServer(("127.0.0.1", args.base + 9), ControlHandler)
    control.daemon_threads = True
    control.host_ports = set(host_ports)
    for s in servers + [control]:
        threading.Thread(target=s.serve_forever, daemon=True).start()
    if args.pidfile:
        with open(args.pidfile, "w") as f:
            f.write("%d\n" % os.getpid())
    log("serving hosts on %s, control on %d, tls %s" % (host_ports, args.base + 9, "on" if context else "off"))
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    while not stop.wait(1.0):
        pass
    log("stopping")


if __name__ == "__main__":
    main()
