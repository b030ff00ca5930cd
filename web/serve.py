#!/usr/bin/env python3
"""Serves the browser build (build-web/) on this machine alone.

    python3 web/serve.py [FOLDER] [PORT]     (./zunk.sh serve)

Listens on 127.0.0.1 only, at PORT (8080 by default, 0 for any free one),
and prints the page's address. WebAssembly is served as application/wasm
(the browser compiles it as it arrives), and nothing is cached, so that a
new build shows at the next reload. The tests start the same server."""

import functools
import http.server
import sys
import threading

TYPES = {".wasm": "application/wasm", ".js": "text/javascript", ".data": "application/octet-stream",
         ".html": "text/html; charset=utf-8"}


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **TYPES)

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, format, *args):
        pass


def start(folder, port=0):
    """A server of `folder` running in a thread; its address is server.url."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(Handler, directory=folder))
    server.url = "http://127.0.0.1:%d/" % server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "build-web"
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8080
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(Handler, directory=folder))
    print("Zunk is served at http://127.0.0.1:%d/ (Ctrl+C stops it)" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
