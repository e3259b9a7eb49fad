"""HTTP(S) server for the network client tests, on 127.0.0.1 and a free port.

  http_server.py [--tls DIR] [--tls12-only]

With --tls a self-signed certificate for 127.0.0.1 is made in DIR (cert.pem, key.pem) by the
openssl command and the server speaks HTTPS only.

  /echo           200, the request line and headers as received
  /text/N         200, N bytes of text
  /status/C       status C with a short error page
  /redirect/K     302 to /redirect/K-1; /redirect/0 answers 200 "arrived"
  /set-cookie     200, sets the cookie "session=abc123"
  /goto?URL       302 to URL
  /trickle        200, announces 1000000 bytes, then sends "x\n" every 0.1 s
"""
import os
import subprocess
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import common


def body_of(n):
    line = b"0123456789abcdefghijklmnopqrstuvwxyz\n"
    return (line * (n // len(line) + 1))[:n]


class Handler(BaseHTTPRequestHandler):
    def log_message(self, fmt, *args):
        pass

    def reply(self, code, body, headers=()):
        self.send_response(code)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        for k, v in headers:
            self.send_header(k, v)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        parts = self.path.split("/")
        if self.path == "/echo":
            self.reply(200, (self.requestline + "\r\n" + str(self.headers)).encode("latin-1"))
        elif len(parts) == 3 and parts[1] == "text":
            self.reply(200, body_of(int(parts[2])))
        elif len(parts) == 3 and parts[1] == "status":
            self.reply(int(parts[2]), b"<html>error page</html>")
        elif len(parts) == 3 and parts[1] == "redirect":
            k = int(parts[2])
            if k == 0:
                self.reply(200, b"arrived")
            else:
                self.reply(302, b"moved", [("Location", "/redirect/%d" % (k - 1))])
        elif self.path.startswith("/goto?"):
            self.reply(302, b"moved", [("Location", self.path[len("/goto?"):])])
        elif self.path == "/trickle":
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", "1000000")
            self.end_headers()
            common.trickle(self.wfile)
            self.close_connection = True
        elif self.path == "/set-cookie":
            self.reply(200, b"cookie set", [("Set-Cookie", "session=abc123; Path=/")])
        else:
            self.reply(404, b"no such page")


def make_certificate(folder):
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    return cert, key


def main():
    common.exit_with_parent()
    args = sys.argv[1:]
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if "--tls" in args:
        cert, key = make_certificate(args[args.index("--tls") + 1])
        common.use_tls(server, cert, key, "--tls12-only" in args)
    common.announce(server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
