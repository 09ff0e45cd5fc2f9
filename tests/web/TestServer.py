#!/usr/bin/env python3
"""HTTP server for the web capture tests and benchmarks.

    TestServer.py LOG [--ready FILE] [--output FILE] [--tls] [--lifetime SECONDS]

Binds 127.0.0.1 on a free port and prints the port as the first line of its
standard output. With --ready it also writes "PORT PID" to FILE (written
whole, then renamed into place) so a Windows test under Wine, which cannot
read a Unix child's output or learn its process id, finds both. With --tls
it serves the same routes over TLS on a second port as well, named third in
FILE, with a fresh self-signed certificate for 127.0.0.1 (made by the
openssl program) written beside LOG as tls-cert.pem: trusted by nobody
unless the test adds it to its trusted roots. Every
request line and its headers are appended to LOG, followed by an empty
line, flushed at once. With --output, standard output and error go to that
file (a Unix program started from Wine writes into the test's own output
otherwise). The server ends by itself after --lifetime seconds
(default one hour), should the test that started it die without ending it.

Every answer is computed from the address alone: the tests know the bytes
to expect without asking the server.
"""

import argparse
import os
import ssl
import subprocess
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

# Route                          What it answers
ROUTES = """
/                                this table as text
/page/relative                   page with relative links: pics/, ./, ../, /, //host/, absolute
/page/base                       page whose <base href=> names /based/ on this server
/page/duplicates                 the same picture three times, once in other case
/page/many?count=N               page of N (10000) links to /pics/many/NNNNN.gif
/page/hostile                    con.gif, nul.png, COM1.jpg, a?b.gif, a 300-character name, same.gif in two folders
/page/flash?count=N              page of N (2) links to /pics/movie-N.swf in <embed src="...">
/gallery?count=K&missing=a,b     page of K (3) pictures in <img src=> (relative links), those numbered
  &slowlast=S                    a, b, ... (from 1) pointing into /missing/, so they answer 404; with
                                 slowlast the last one comes from /slowpics/S/, trickled over S seconds
/slowpics/S/ANY                  the picture of /pics/ANY, trickled over S seconds
/files/list?count=N              page of N (1000) links to /files/NNNN.bin
/pics/ANY                        a 1x1 GIF whose comment block is the request's path (query included)
/files/NNNN.bin                  4096 bytes: the name, then bytes (offset * 7 + N) mod 256
/missing/ANY, /status/404        404
/status/CODE                     that status with a short body
/redirect/302?to=PATH            302 to PATH (/pics/redirected.gif)
/redirect/chain?n=N              N redirects in a row (through /redirect/chain?n=N-1), then a picture
/redirect/loop                   302 to itself
/slow?seconds=S                  8000 bytes (the letter "s") trickled over S (3) seconds, with Content-Length
/stall                           headers announcing 1,000,000 bytes, then nothing, forever
/endless                         a body without Content-Length that never ends
/big?size=BYTES&chunked=1        BYTES (2 GiB) of pattern (see pattern_bytes), with Content-Length
                                 or, with chunked=1, in chunked transfer encoding
/truncated                       announces 100000 bytes, sends 50000 and closes the connection
/headers                         the request's headers as the body
"""

GIB2 = 2 * 1024 * 1024 * 1024
PATTERN_PERIOD = 251
PATTERN_BLOCK = 4096
_FILLER = bytes(i % PATTERN_PERIOD for i in range(1024 * 1024 + PATTERN_PERIOD))


def pattern_bytes(offset, length):
    """The bytes of /big from `offset`: byte o is o mod 251, except that the
    first 8 bytes of every 4096-byte block hold the block's offset as a
    little-endian 64-bit number (a lost, doubled or moved block shows)."""
    out = bytearray(_FILLER[offset % PATTERN_PERIOD: offset % PATTERN_PERIOD + length])
    block = offset // PATTERN_BLOCK * PATTERN_BLOCK
    while block < offset + length:
        stamp = block.to_bytes(8, "little")
        # A stamp cut by the start or end of the range is written in part.
        start, end = max(block, offset), min(block + 8, offset + length)
        if start < end:
            out[start - offset: end - offset] = stamp[start - block: end - block]
        block += PATTERN_BLOCK
    return bytes(out)


def tiny_gif(comment):
    """A valid 1x1 GIF89a with `comment` in a comment extension."""
    data = comment.encode("utf-8", "replace")
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255))
    return (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
            b"\x21\xfe" + blocks + b"\x00"
            b"\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b")


def small_file(number):
    head = ("%04d.bin\n" % number).encode()
    return head + bytes((i * 7 + number) % 256 for i in range(len(head), 4096))


def html(body):
    return ("<html><head><title>Brisko test page</title></head><body>\n%s\n</body></html>\n" % body).encode()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out in separate writes: without this, Nagle's
    # algorithm and the client's delayed acknowledgement add 40 ms to every
    # answer on a kept-alive connection.
    disable_nagle_algorithm = True
    server_version = "BriskoTestServer/1"

    def log_message(self, format, *args):
        pass

    def log_request_text(self):
        text = self.requestline + "\n" + "".join("%s: %s\n" % (k, v) for k, v in self.headers.items()) + "\n"
        with self.server.log_lock:
            self.server.log.write(text)
            self.server.log.flush()

    def send_body(self, body, status=200, content_type="text/html"):
        if status in (204, 304):
            body = b""
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def send_trickled(self, body, seconds, content_type):
        """The body with its length announced, in ten pieces spread over `seconds`."""
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        pieces = 10
        step = max(1, (len(body) + pieces - 1) // pieces)
        for start in range(0, len(body), step):
            time.sleep(seconds / pieces)
            self.wfile.write(body[start:start + step])
            self.wfile.flush()

    def redirect(self, location, status=302):
        self.send_response(status)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        self.log_request_text()
        url = urlsplit(self.path)
        query = parse_qs(url.query)
        path = url.path

        def number(name, default):
            try:
                return int(query.get(name, [default])[0])
            except ValueError:
                return default

        try:
            if path == "/":
                self.send_body(ROUTES.encode(), content_type="text/plain")
            elif path == "/page/relative":
                self.send_body(html(
                    '<img src="pics/rel-a.gif" width=1>\n<img src="./pics/rel-b.png">\n'
                    '<img src="../pics/rel-c.jpg">\n<img src="/pics/rel-d.gif">\n'
                    '<img src="//127.0.0.1:%d/pics/rel-e.gif">\n'
                    '<img src="http://127.0.0.1:%d/pics/rel-f.gif">\n'
                    % (self.server.server_port, self.server.server_port)))
            elif path == "/page/base":
                self.send_body(html(
                    '<base href="http://127.0.0.1:%d/based/">\n<img src="pics/b.gif">\n'
                    % self.server.server_port))
            elif path == "/page/duplicates":
                self.send_body(html('<img src="pics/dup.gif"><img src="pics/dup.gif">'
                                    '<img src="pics/DUP.gif"><img src="pics/dup.gif">'))
            elif path == "/page/many":
                count = number("count", 10000)
                self.send_body(html("\n".join('<img src="/pics/many/%05d.gif">' % i for i in range(count))))
            elif path == "/page/hostile":
                long_name = "L" * 296 + ".gif"
                self.send_body(html(
                    '<img src="/pics/con.gif"><img src="/pics/nul.png"><img src="/pics/a?b.gif">'
                    '<img src="/pics/%s"><img src="/pics/x/same.gif"><img src="/pics/y/same.gif">'
                    '<img src="/pics/COM1.jpg">' % long_name))
            elif path == "/page/flash":
                count = number("count", 2)
                self.send_body(html("\n".join('<embed src="/pics/movie-%d.swf">' % i for i in range(1, count + 1))))
            elif path == "/gallery":
                count = number("count", 3)
                missing = {int(m) for m in ",".join(query.get("missing", [])).split(",") if m.strip().isdigit()}
                slow_last = number("slowlast", 0)

                def folder(i):
                    if i in missing:
                        return "missing"
                    return "slowpics/%d" % slow_last if i == count and slow_last > 0 else "pics"
                links = ('<img src="%s/gallery-%d.gif">' % (folder(i), i) for i in range(1, count + 1))
                self.send_body(html("\n".join(links)))
            elif path == "/files/list":
                count = number("count", 1000)
                self.send_body(html("\n".join('<a href="/files/%04d.bin">%04d</a>' % (i, i) for i in range(count))))
            elif path.startswith("/files/") and path.endswith(".bin") and path[7:-4].isdigit():
                self.send_body(small_file(int(path[7:-4])), content_type="application/octet-stream")
            elif path.startswith("/pics/"):
                self.send_body(tiny_gif(self.path), content_type="image/gif")
            elif path.startswith("/slowpics/") and path.split("/")[2].isdigit():
                self.send_trickled(tiny_gif(self.path), int(path.split("/")[2]), "image/gif")
            elif path.startswith("/missing/"):
                self.send_body(b"not here\n", status=404, content_type="text/plain")
            elif path.startswith("/status/") and path[8:].isdigit():
                self.send_body(b"status %s\n" % path[8:].encode(), status=int(path[8:]), content_type="text/plain")
            elif path == "/redirect/302":
                self.redirect(query.get("to", ["/pics/redirected.gif"])[0])
            elif path == "/redirect/chain":
                n = number("n", 1)
                if n > 0:
                    self.redirect("/redirect/chain?n=%d" % (n - 1))
                else:
                    self.send_body(tiny_gif(self.path), content_type="image/gif")
            elif path == "/redirect/loop":
                self.redirect("/redirect/loop")
            elif path == "/slow":
                seconds = float(query.get("seconds", ["3"])[0])
                size, steps = 8000, 30
                self.send_response(200)
                self.send_header("Content-Type", "application/octet-stream")
                self.send_header("Content-Length", str(size))
                self.end_headers()
                for step in range(steps):
                    self.wfile.write(b"s" * (size // steps + (1 if step < size % steps else 0)))
                    self.wfile.flush()
                    time.sleep(seconds / steps)
            elif path == "/stall":
                self.send_response(200)
                self.send_header("Content-Type", "application/octet-stream")
                self.send_header("Content-Length", "1000000")
                self.end_headers()
                self.wfile.flush()
                while True:
                    time.sleep(3600)
            elif path == "/endless":
                self.send_response(200)
                self.send_header("Content-Type", "application/octet-stream")
                self.send_header("Connection", "close")
                self.end_headers()
                chunk = b"e" * 65536
                while True:
                    self.wfile.write(chunk)
                    time.sleep(0.01)
            elif path == "/big":
                size = number("size", GIB2)
                chunked = query.get("chunked", ["0"])[0] == "1"
                self.send_response(200)
                self.send_header("Content-Type", "application/octet-stream")
                if chunked:
                    self.send_header("Transfer-Encoding", "chunked")
                else:
                    self.send_header("Content-Length", str(size))
                self.end_headers()
                offset, step = 0, 1024 * 1024
                while offset < size:
                    length = min(step, size - offset)
                    piece = pattern_bytes(offset, length)
                    self.wfile.write(b"%x\r\n%s\r\n" % (length, piece) if chunked else piece)
                    offset += length
                if chunked:
                    self.wfile.write(b"0\r\n\r\n")
            elif path == "/truncated":
                self.send_response(200)
                self.send_header("Content-Type", "application/octet-stream")
                self.send_header("Content-Length", "100000")
                self.send_header("Connection", "close")
                self.end_headers()
                self.wfile.write(b"t" * 50000)
                self.wfile.flush()
                self.close_connection = True
            elif path == "/headers":
                self.send_body("".join("%s: %s\n" % (k, v) for k, v in self.headers.items()).encode(),
                               content_type="text/plain")
            else:
                self.send_body(b"no such route\n", status=404, content_type="text/plain")
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True


class Server(ThreadingHTTPServer):
    daemon_threads = True
    # Many clients connect at once in the benchmark.
    request_queue_size = 128


    def handle_error(self, request, client_address):
        # Clients that give up on an answer (every failure test does) are
        # no error of the server's.
        if not isinstance(sys.exc_info()[1], (ConnectionError, TimeoutError)):
            super().handle_error(request, client_address)


class TlsServer(Server):
    # The handshake runs in the request's own thread, so a client that
    # refuses the certificate holds up no one else.
    def finish_request(self, request, client_address):
        try:
            request = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        super().finish_request(request, client_address)


def tls_server_beside(server, folder):
    """A second server for the same routes and log, over TLS."""
    cert, key = os.path.join(folder, "tls-cert.pem"), os.path.join(folder, "tls-key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048",
                    "-nodes", "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    tls = TlsServer(("127.0.0.1", 0), Handler)
    tls.context = context
    tls.log, tls.log_lock = server.log, server.log_lock
    return tls


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("log")
    parser.add_argument("--ready")
    parser.add_argument("--output")
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--lifetime", type=float, default=3600)
    args = parser.parse_args()
    if args.output:
        output = os.open(args.output, os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o644)
        os.dup2(output, 1)
        os.dup2(output, 2)
        os.close(output)

    server = Server(("127.0.0.1", 0), Handler)
    server.log = open(args.log, "a", encoding="utf-8", newline="\n")
    server.log_lock = threading.Lock()
    port = server.server_address[1]
    print(port, flush=True)
    tls_port = 0
    if args.tls:
        tls_server = tls_server_beside(server, os.path.dirname(os.path.abspath(args.log)))
        tls_port = tls_server.server_address[1]
        threading.Thread(target=tls_server.serve_forever, daemon=True).start()
    if args.ready:
        with open(args.ready + ".tmp", "w") as ready:
            ready.write("%d %d %d\n" % (port, os.getpid(), tls_port))
        os.replace(args.ready + ".tmp", args.ready)

    watchdog = threading.Timer(args.lifetime, lambda: os._exit(0))
    watchdog.daemon = True
    watchdog.start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
