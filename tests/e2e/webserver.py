"""A loopback HTTP server for the web media tests: files by path, HEAD,
byte ranges answered with 206 (If-Range honoured; 416 past the end), and the
faults a real network shows: ranges ignored, another range than the one asked
for, no length, no validators, odd headers, a refused HEAD, 404, a connection
cut after N bytes. Every request is logged.

    with LoopbackServer({"/Block1.7zip": data}) as server:
        server.url("/Block1.7zip"); server.cut_after = 1000; server.requests

NginxServer does the same for a folder with a real web server.
"""

import base64
import email.utils
import grp
import hashlib
import http.server
import os
import pwd
import re
import shlex
import socket
import ssl
import subprocess
import threading
import time
from pathlib import Path


class LoopbackServer:
    def __init__(self, files, certificate=None):
        """certificate: (certificate file, key file) to answer HTTPS instead of HTTP."""
        self.files = dict(files)
        self.redirects = {}        # path -> path answered with 302
        self.proxy_user = None     # "user:password" a proxy asks for (407 without it)
        self.scheme = "https" if certificate else "http"
        self.ignore_ranges = False
        self.omit_length = ()      # methods answered without a length: the connection's end ends the body
        self.validators = True     # ETag and Last-Modified sent
        self.extra_headers = []    # (name, value) sent before the file's own headers
        self.head_status = None    # status a HEAD gets instead of the file's headers
        self.range_shift = None    # the next GET's body starts this many bytes after the byte asked for (once)
        self.cut_after = None      # body bytes sent before the next GET's connection is cut (once)
        self.pause = 0.0           # seconds between two 64 KB pieces of a body (a slow line)
        self.requests = []         # (method, path, Range header, If-Range header)
        self.modified = email.utils.formatdate(1700000000, usegmt=True)
        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), self._handler())
        if certificate:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*certificate)
            self._server.socket = context.wrap_socket(self._server.socket, server_side=True)
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._server.shutdown()
        self._server.server_close()

    @property
    def port(self):
        return self._server.server_address[1]

    def url(self, path):
        return f"{self.scheme}://127.0.0.1:{self.port}{path}"

    def etag(self, path):
        return '"' + hashlib.sha256(self.files[path]).hexdigest()[:16] + '"'

    def ranges_asked(self):
        return [r[2] for r in self.requests if r[0] == "GET" and r[2]]

    def _handler(self):
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_HEAD(self):
                if server.head_status:
                    server.requests.append((self.command, self.path, None, None))
                    self.send_response(server.head_status)
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                self._answer(body=False)

            def do_GET(self):
                self._answer(body=True)

            def _answer(self, body):
                path = self.path.split("?", 1)[0]
                asked = self.headers.get("Range")
                if_range = self.headers.get("If-Range")
                server.requests.append((self.command, path, asked, if_range))
                if server.proxy_user and self.headers.get("Proxy-Authorization") != \
                        "Basic " + base64.b64encode(server.proxy_user.encode()).decode():
                    self.send_response(407)
                    self.send_header("Proxy-Authenticate", 'Basic realm="loopback proxy"')
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    server.requests[-1] += ("407",)
                    return
                if path in server.redirects:
                    self.send_response(302)
                    self.send_header("Location", server.url(server.redirects[path]))
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                data = server.files.get(path)
                if data is None:
                    page = b"<html><body>404 Not Found</body></html>"
                    self.send_response(404)
                    self.send_header("Content-Type", "text/html")
                    self.send_header("Content-Length", str(len(page)))
                    self.end_headers()
                    if body:
                        self.wfile.write(page)
                    return
                start = 0
                if asked and not server.ignore_ranges and asked.startswith("bytes=") and asked.endswith("-"):
                    validator_matches = if_range in (None, server.etag(path), server.modified)
                    if validator_matches:
                        start = int(asked[len("bytes="):-1])
                if start >= len(data) > 0:
                    self.send_response(416)
                    self.send_header("Content-Range", f"bytes */{len(data)}")
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                if body and server.range_shift is not None:
                    start, server.range_shift = start + server.range_shift, None
                part = data[start:]
                self.send_response(206 if start else 200)
                for name, value in server.extra_headers:
                    self.send_header(name, value)
                self.send_header("Content-Type", "application/octet-stream")
                if server.validators:
                    self.send_header("ETag", server.etag(path))
                    self.send_header("Last-Modified", server.modified)
                self.send_header("Accept-Ranges", "bytes")
                if start:
                    self.send_header("Content-Range", f"bytes {start}-{len(data) - 1}/{len(data)}")
                if self.command in server.omit_length:
                    self.send_header("Connection", "close")
                    self.close_connection = True
                else:
                    self.send_header("Content-Length", str(len(part)))
                self.end_headers()
                if not body:
                    return
                if server.cut_after is not None:
                    cut, server.cut_after = server.cut_after, None
                    self.wfile.write(part[:cut])
                    self.wfile.flush()
                    self.close_connection = True
                    self.connection.shutdown(2)
                    return
                for offset in range(0, len(part), 65536):
                    self.wfile.write(part[offset:offset + 65536])
                    if server.pause:
                        self.wfile.flush()
                        time.sleep(server.pause)

        return Handler


class NginxServer:
    """nginx (Debian's nginx-light) serving a folder on a free loopback port,
    logging each request's method, path, Range header and status."""

    def __init__(self, root, work):
        self.root = Path(root).resolve()
        self.work = Path(work).resolve()
        self.process = None
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            self.port = probe.getsockname()[1]

    def __enter__(self):
        self.work.mkdir(parents=True, exist_ok=True)
        self.log = self.work / "access.log"
        conf = self.work / "nginx.conf"
        # Started as root, nginx hands the requests to workers of an unprivileged user, who cannot read a
        # document root inside a private folder (a checkout under root's home): they run as this user.
        user = f"user {pwd.getpwuid(os.geteuid()).pw_name} {grp.getgrgid(os.getegid()).gr_name};\n" \
            if os.geteuid() == 0 else ""
        conf.write_text(user + f"""error_log {self.work}/error.log;
pid {self.work}/nginx.pid;
events {{ worker_connections 64; }}
http {{
    log_format ranges '$request_method $uri "$http_range" "$http_if_range" $status';
    access_log {self.log} ranges;
    client_body_temp_path {self.work}/body;
    proxy_temp_path {self.work}/proxy;
    fastcgi_temp_path {self.work}/fastcgi;
    uwsgi_temp_path {self.work}/uwsgi;
    scgi_temp_path {self.work}/scgi;
    types {{ application/octet-stream 7zip; }}
    server {{
        listen 127.0.0.1:{self.port};
        root {self.root};
    }}
}}
""")
        self.process = subprocess.Popen(["nginx", "-c", str(conf), "-p", str(self.work), "-g", "daemon off;"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            with socket.socket() as probe:
                if probe.connect_ex(("127.0.0.1", self.port)) == 0:
                    return self
            time.sleep(0.05)
        self.__exit__(None, None, None)
        raise RuntimeError("nginx does not start")

    def __exit__(self, *exc):
        if self.process:
            self.process.terminate()
            self.process.wait(timeout=10)

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def requests(self):
        """(method, path, Range, If-Range, status) of every request so far."""
        rows = []
        for line in self.log.read_text().splitlines() if self.log.exists() else []:
            method, path, asked, if_range, status = shlex.split(line)
            asked, if_range = ("" if field == "-" else _unescape(field) for field in (asked, if_range))
            rows.append((method, path, asked, if_range, status))
        return rows


def _unescape(field):
    """An access log field as sent: nginx writes a quote or a control character as \\xHH."""
    return re.sub(r"\\x([0-9A-Fa-f]{2})", lambda match: chr(int(match.group(1), 16)), field)
