#!/usr/bin/env python3
"""web/serve.py as a player's browser and a careless or hostile one meet it:
the real script in a process of its own, on a site of a few files laid out
here beside what a build folder also holds (CMakeCache.txt, a folder, a
link out of the site), and the ways it refuses to start."""

import gzip
import http.client
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SERVE = os.path.join(os.path.dirname(os.path.dirname(HERE)), "web", "serve.py")
DEADLINE = 60
SHEET = "sheets/zunk-fr.0123456789abcdef.png"


def run_serve(*args):
    return subprocess.run([sys.executable, SERVE, *args], capture_output=True, text=True, timeout=DEADLINE)


class Served(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="zunk-serve-")
        site = cls.site = os.path.join(cls.scratch, "site")
        os.makedirs(os.path.join(site, "sheets"))
        cls.page = b"<!doctype html><title>Zunk</title>" + b"x" * 2000
        cls.wasm = bytes(range(256)) * 64
        with open(os.path.join(site, "index.html"), "wb") as f:
            f.write(cls.page)
        with open(os.path.join(site, "index.html.gz"), "wb") as f:
            f.write(gzip.compress(cls.page))
        with open(os.path.join(site, "zunk.wasm"), "wb") as f:
            f.write(cls.wasm)
        with open(os.path.join(site, "CMakeCache.txt"), "w") as f:
            f.write("CMAKE_HOME_DIRECTORY:INTERNAL=/home/builder/zunk\n")
        # What the server must never show: a file outside, reached by links
        # named as a sheet and as a twin.
        secret = os.path.join(cls.scratch, "secret")
        with open(secret, "w") as f:
            f.write("root:x:0:0\n")
        os.symlink(secret, os.path.join(site, SHEET))
        os.symlink(secret, os.path.join(site, "zunk.wasm.gz"))
        cls.server = subprocess.Popen([sys.executable, SERVE, site, "0"], stdout=subprocess.PIPE,
                                      stderr=subprocess.PIPE, text=True)
        line = cls.server.stdout.readline()
        cls.port = int(line.split("127.0.0.1:")[1].split("/")[0])

    @classmethod
    def tearDownClass(cls):
        cls.server.terminate()
        cls.server.wait(DEADLINE)
        cls.server.stdout.close()
        cls.server.stderr.close()
        shutil.rmtree(cls.scratch)

    def get(self, target, headers=None, method="GET"):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=DEADLINE)
        connection.putrequest(method, target, skip_accept_encoding=True)
        for name, value in (headers or {}).items():
            connection.putheader(name, value)
        connection.endheaders()
        response = connection.getresponse()
        body = response.read()
        connection.close()
        return response, body

    def raw(self, request):
        """What the server answers to `request`, bytes as sent: its status line."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=DEADLINE) as s:
            s.sendall(request)
            answer = b""
            while b"\r\n" not in answer:
                chunk = s.recv(4096)
                if not chunk:
                    break
                answer += chunk
        return answer.split(b"\r\n")[0]

    def test_the_page_plain_compressed_and_unchanged(self):
        response, body = self.get("/")
        self.assertEqual((response.status, body), (200, self.page))
        self.assertEqual(response.getheader("Content-Type"), "text/html; charset=utf-8")
        self.assertIsNone(response.getheader("Content-Encoding"))
        self.assertEqual(response.getheader("Vary"), "Accept-Encoding")
        response, body = self.get("/index.html?from=home", {"Accept-Encoding": "br, gzip;q=0.8"})
        self.assertEqual(response.getheader("Content-Encoding"), "gzip")
        self.assertEqual(gzip.decompress(body), self.page)
        self.assertLess(len(body), len(self.page))
        # gzip refused by its quality: the plain file.
        response, body = self.get("/index.html", {"Accept-Encoding": "gzip;q=0, identity"})
        self.assertEqual((response.getheader("Content-Encoding"), body), (None, self.page))
        # Asked again with its tag: 304, nothing sent.
        tag = response.getheader("ETag")
        response, body = self.get("/index.html", {"If-None-Match": tag})
        self.assertEqual((response.status, body), (304, b""))
        self.assertEqual(response.getheader("Cache-Control"), "no-cache")
        response, body = self.get("/index.html", {"If-None-Match": tag, "Accept-Encoding": "gzip"})
        self.assertEqual(response.status, 200, "the plain file's tag answered for the gzip twin")

    def test_wasm_has_its_type_and_a_head_no_body(self):
        response, body = self.get("/zunk.wasm")
        self.assertEqual((response.status, body), (200, self.wasm))
        self.assertEqual(response.getheader("Content-Type"), "application/wasm")
        response, body = self.get("/zunk.wasm", method="HEAD")
        self.assertEqual((response.status, body, response.getheader("Content-Length")),
                         (200, b"", str(len(self.wasm))))

    def test_nothing_through_a_link_out_of_the_folder(self):
        response, body = self.get("/" + SHEET)
        self.assertEqual(response.status, 404)
        self.assertNotIn(b"root:", body)
        # Nor as a twin: the wasm is sent plain.
        response, body = self.get("/zunk.wasm", {"Accept-Encoding": "gzip"})
        self.assertEqual((response.status, response.getheader("Content-Encoding"), body), (200, None, self.wasm))

    def test_only_the_sites_files(self):
        for target in ("/CMakeCache.txt", "/index.html.gz", "/sheets", "/zunk.data", "/web/serve.py"):
            response, body = self.get(target)
            self.assertEqual(response.status, 404, target)
            self.assertNotIn(b"/home/builder", body, target)
        # A folder is never listed.
        for target in ("/sheets/", "/icons/", "/sheets//x"):
            response, body = self.get(target)
            self.assertIn(response.status, (400, 404), target)
            self.assertNotIn(b"zunk-fr", body, target)

    def test_malformed_requests_are_answered_400(self):
        for target in ("/index.html%00", "/%00", "/..%2fCMakeCache.txt", "/sheets/%2e%2e/index.html", "/%ff",
                       "/index.html%5c", "index.html", "/a%0d%0aSet-Cookie:x"):
            response, _ = self.get(target)
            self.assertEqual(response.status, 400, target)
        for request in (b"GARBAGE\r\n\r\n", b"GET /\x00 HTTP/1.1\r\n\r\n", b"GET / HTTP/9.9\r\n\r\n",
                        b"GET " + b"/a" * 40000 + b" HTTP/1.1\r\n\r\n"):
            self.assertRegex(self.raw(request), rb"^HTTP/1\.[01] (400|414|505) ", request[:20])
        response, _ = self.get("/", method="POST")
        self.assertEqual(response.status, 501)
        # The server is still up, and said nothing of any of it.
        self.assertEqual(self.get("/")[0].status, 200)
        self.assertIsNone(self.server.poll())
        os.set_blocking(self.server.stderr.fileno(), False)
        try:
            said = os.read(self.server.stderr.fileno(), 1 << 16)
        except BlockingIOError:
            said = b""
        self.assertEqual(said, b"", "the server wrote to its standard error")


class Refusals(unittest.TestCase):
    """Each refusal is one line on standard error and status 1."""

    def setUp(self):
        # A folder with a page: a site as far as starting goes.
        self.scratch = tempfile.mkdtemp(prefix="zunk-serve-")
        self.addCleanup(shutil.rmtree, self.scratch)
        with open(os.path.join(self.scratch, "index.html"), "w") as f:
            f.write("<!doctype html>")

    def refused(self, result, words):
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertEqual(len(result.stderr.strip().splitlines()), 1, result.stderr)
        self.assertIn(words, result.stderr)
        self.assertNotIn("Traceback", result.stderr)

    def test_a_folder_that_is_not_there_or_no_site(self):
        self.refused(run_serve(os.path.join(self.scratch, "missing"), "0"), "is no folder")
        os.remove(os.path.join(self.scratch, "index.html"))
        self.refused(run_serve(self.scratch, "0"), "holds no index.html")

    def test_ports_that_cannot_be_had(self):
        for port in ("eighty", "70000", "-1", "8080.5"):
            self.refused(run_serve(self.scratch, port), "is no port")
        with socket.socket() as taken:
            taken.bind(("127.0.0.1", 0))
            taken.listen()
            port = taken.getsockname()[1]
            self.refused(run_serve(self.scratch, str(port)), "port %d is in use" % port)

    def test_ctrl_c_ends_it_quietly(self):
        server = subprocess.Popen([sys.executable, SERVE, self.scratch, "0"], stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, text=True)
        self.assertIn("Zunk is served at http://127.0.0.1:", server.stdout.readline())
        server.send_signal(2)
        _, errors = server.communicate(timeout=DEADLINE)
        self.assertEqual((server.returncode, errors), (0, ""))


if __name__ == "__main__":
    unittest.main()
