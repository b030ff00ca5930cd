#!/usr/bin/env python3
"""Serves the browser version's site (build-web/site/, as ./zunk.sh web lays
it out) on this machine alone.

    python3 web/serve.py [FOLDER] [PORT]     (./zunk.sh serve)

Listens on 127.0.0.1 only, at PORT (8080 by default, 0 for any free one),
and prints the page's address. It serves the files a site holds and nothing
else (makesite.SERVED: the page, the script, the wasm, the data, the
manifest, the worker, the icons, the sheets): never a listing, never a file
reached through a link out of the folder. A file with a precompressed twin
beside it (NAME.gz, written by the build) goes gzip-encoded to a browser
that takes it. A browser may keep every answer but asks again each time
(no-cache, with an ETag): an unchanged file costs a 304, a new build shows
at the next reload. A request it cannot read is answered 400. The tests
start the same server (start())."""

import email.utils
import errno
import http.server
import os
import sys
import threading
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from makesite import SERVED  # noqa: E402

TYPES = {".html": "text/html; charset=utf-8", ".js": "text/javascript; charset=utf-8", ".wasm": "application/wasm",
         ".data": "application/octet-stream", ".webmanifest": "application/manifest+json", ".png": "image/png"}
DEFAULT_PORT = 8080


class Refused(Exception):
    """A folder, or a port, that cannot be served: the message says why."""


class BadRequest(Exception):
    pass


def request_name(target):
    """The file a request's target names, relative to the site ("index.html"
    for the folder itself); BadRequest when the target is no clean path."""
    path = target.split("?", 1)[0].split("#", 1)[0]
    if not path.startswith("/"):
        raise BadRequest()
    try:
        name = urllib.parse.unquote(path, errors="strict")
    except UnicodeDecodeError:
        raise BadRequest() from None
    if any(ord(c) < 32 or c in "\\\x7f" for c in name):
        raise BadRequest()
    name = name[1:] or "index.html"
    if any(part in ("", ".", "..") for part in name.split("/")):
        raise BadRequest()
    return name


def takes_gzip(accept_encoding):
    """Whether an Accept-Encoding header takes gzip (named, or '*', and not
    at a quality of 0)."""
    for item in accept_encoding.split(","):
        coding, _, params = item.partition(";")
        if coding.strip().lower() not in ("gzip", "*"):
            continue
        quality = params.strip()
        if quality.startswith("q="):
            try:
                return float(quality[2:]) > 0
            except ValueError:
                return False
        return True
    return False


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # A request line without a version is answered with a status line too.
    default_request_version = "HTTP/1.0"
    server_version = "zunk-serve"
    sys_version = ""

    def do_GET(self):
        self.answer(True)

    def do_HEAD(self):
        self.answer(False)

    def answer(self, with_body):
        try:
            name = request_name(self.path)
        except BadRequest:
            return self.send_error(400)
        path = self.server.file(name)
        if not path:
            return self.send_error(404)
        try:
            twin = path + ".gz" if takes_gzip(self.headers.get("Accept-Encoding", "")) else None
            if twin and not self.server.inside(twin):
                twin = None
            with open(twin or path, "rb") as f:
                status = os.fstat(f.fileno())
                tag = '"%x-%x%s"' % (status.st_mtime_ns, status.st_size, "-gz" if twin else "")
                unchanged = tag in [t.strip() for t in self.headers.get("If-None-Match", "").split(",")]
                self.send_response(304 if unchanged else 200)
                self.send_header("Content-Type", TYPES[os.path.splitext(name)[1]])
                self.send_header("Cache-Control", "no-cache")
                self.send_header("ETag", tag)
                self.send_header("Last-Modified", email.utils.formatdate(status.st_mtime, usegmt=True))
                self.send_header("X-Content-Type-Options", "nosniff")
                if os.path.exists(path + ".gz"):
                    self.send_header("Vary", "Accept-Encoding")
                if twin:
                    self.send_header("Content-Encoding", "gzip")
                if unchanged:
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                self.send_header("Content-Length", str(status.st_size))
                self.end_headers()
                if with_body:
                    while True:
                        chunk = f.read(1 << 16)
                        if not chunk:
                            break
                        self.wfile.write(chunk)
        except OSError:
            # The reader went away, or the file did in a rebuild.
            self.close_connection = True

    def setup(self):
        super().setup()
        self.wfile = Counted(self.wfile, self.server)

    def log_request(self, code="-", size="-"):
        # A request line that could not be read has no method or target.
        self.server.count(0, (self.command, getattr(self, "path", None), int(code)))

    def log_message(self, format, *args):
        pass


class Counted:
    """A connection's writer that counts the bytes it sends into its server."""

    def __init__(self, writer, server):
        self.writer, self.server = writer, server

    def write(self, data):
        self.server.count(len(data))
        return self.writer.write(data)

    def __getattr__(self, name):
        return getattr(self.writer, name)


class Server(http.server.ThreadingHTTPServer):
    """A site's server; `url` is its address. It counts what it answered
    (`answered`: method, target, status) and the bytes it sent (`sent`,
    headers too), for whoever measures a visit."""

    daemon_threads = True

    def __init__(self, folder, port):
        if not os.path.isdir(folder):
            raise Refused("%s is no folder: ./zunk.sh web lays the site out in build-web/site" % folder)
        if not os.path.isfile(os.path.join(folder, "index.html")):
            raise Refused("%s holds no index.html: it is not a site ./zunk.sh web laid out" % folder)
        if not 0 <= port <= 65535:
            raise Refused("%d is no port: a number from 1 to 65535, or 0 for any free one" % port)
        self.root = os.path.realpath(folder)
        self.sent = 0
        self.answered = []
        self._counting = threading.Lock()
        try:
            super().__init__(("127.0.0.1", port), Handler)
        except OSError as e:
            if e.errno == errno.EADDRINUSE:
                raise Refused("port %d is in use: name another (ZUNK_WEB_PORT=%d ./zunk.sh serve)" % (
                    port, port + 1)) from None
            raise Refused("cannot listen on port %d: %s" % (port, e.strerror)) from None
        self.url = "http://127.0.0.1:%d/" % self.server_address[1]

    def count(self, sent, answered=None):
        with self._counting:
            self.sent += sent
            if answered:
                self.answered.append(answered)

    def inside(self, path):
        """Whether `path` is a file within the folder, links followed."""
        real = os.path.realpath(path)
        return os.path.commonpath([self.root, real]) == self.root and os.path.isfile(real)

    def file(self, name):
        """The file to send for `name`, or None: only a site's files, only
        within the folder."""
        if not SERVED.match(name):
            return None
        path = os.path.join(self.root, name)
        return path if self.inside(path) else None

    def handle_error(self, request, client_address):
        # A request gone wrong is that request's alone: no traceback.
        pass


def start(folder, port=0):
    """A server of `folder` running in a thread; its address is server.url.
    Refused when the folder is no site or the port cannot be had."""
    server = Server(folder, port)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main(argv):
    if len(argv) > 3:
        print("usage: serve.py [FOLDER] [PORT]", file=sys.stderr)
        return 2
    folder = argv[1] if len(argv) > 1 else os.path.join("build-web", "site")
    try:
        try:
            port = int(argv[2]) if len(argv) > 2 else DEFAULT_PORT
        except ValueError:
            raise Refused("%r is no port: a number from 1 to 65535, or 0 for any free one" % argv[2]) from None
        server = Server(folder, port)
    except Refused as e:
        print("serve.py: %s" % e, file=sys.stderr)
        return 1
    print("Zunk is served at %s (Ctrl+C stops it)" % server.url, flush=True)
    server.serve_forever()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except KeyboardInterrupt:  # Ctrl+C, at whatever moment
        sys.exit(0)
