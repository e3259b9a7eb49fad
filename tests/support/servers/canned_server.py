"""A stand-in for a web service: canned replies by path, on 127.0.0.1 and a free port.

  canned_server.py DIR [--tls CERTDIR [--untrusted]]

DIR/routes.json maps a path (the query left off) to a list of replies; each request to the
path takes the next one, and the last one repeats. The test may rewrite the file between
requests. A reply is an object:
  "status"  HTTP status (default 200)
  "body"    name of a file in DIR holding the body (default: empty body)
  "mode"    "normal"; "cut" (announces the whole body, sends half, drops the connection);
            "silent" (never answers); "exit" (answers, then the server ends, so that later
            connections are refused); "trickle" (announces 1000000 bytes, then sends "x\n"
            every 0.1 s for as long as the client listens)
  "location" the Location header of the reply (for redirects)
Every request line and its headers are appended to DIR/requests.log, one blank line after each.

With --tls the server speaks HTTPS with a certificate for 127.0.0.1 made in CERTDIR: issued by
a certificate authority of its own (CERTDIR/ca.pem, which the test trusts), or, with
--untrusted, signed by itself and trusted by nobody.
"""
import json
import os
import subprocess
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import common

EC = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]


def openssl(*args):
    subprocess.run(["openssl"] + list(args), check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def make_certificates(folder, untrusted):
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    if untrusted:
        openssl("req", "-x509", *EC, "-days", "2", "-subj", "/CN=127.0.0.1",
                "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert)
        return cert, key
    ca = os.path.join(folder, "ca.pem")
    ca_key = os.path.join(folder, "ca.key")
    csr = os.path.join(folder, "server.csr")
    ext = os.path.join(folder, "server.ext")
    openssl("req", "-x509", *EC, "-days", "2", "-subj", "/CN=Test certificate authority",
            "-keyout", ca_key, "-out", ca)
    openssl("req", *EC, "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", csr)
    with open(ext, "w") as f:
        f.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
                "extendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial",
            "-days", "2", "-extfile", ext, "-out", cert)
    return cert, key


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    folder = "."
    served = {}
    lock = threading.Lock()

    def log_message(self, fmt, *args):
        pass

    def next_reply(self, path):
        try:
            with open(os.path.join(self.folder, "routes.json")) as f:
                routes = json.load(f)
        except (OSError, ValueError):
            routes = {}
        replies = routes.get(path)
        if not replies:
            return {"status": 404}
        with self.lock:
            n = self.served.get(path, 0)
            self.served[path] = n + 1
        return replies[min(n, len(replies) - 1)]

    def do_GET(self):
        with self.lock:
            with open(os.path.join(self.folder, "requests.log"), "a", encoding="latin-1") as log:
                log.write(self.requestline + "\n" + str(self.headers) + "\n")
        path = self.path.split("?", 1)[0]
        reply = self.next_reply(path)
        mode = reply.get("mode", "normal")
        if mode == "silent":
            time.sleep(3600)
            return
        body = b""
        if "body" in reply:
            with open(os.path.join(self.folder, reply["body"]), "rb") as f:
                body = f.read()
        self.send_response(reply.get("status", 200))
        self.send_header("Content-Type", "text/html; charset=iso-8859-1")
        if mode == "trickle":
            self.send_header("Content-Length", "1000000")
        else:
            self.send_header("Content-Length", str(len(body)))
        if "location" in reply:
            self.send_header("Location", reply["location"])
        if mode != "normal":
            self.send_header("Connection", "close")
        self.end_headers()
        if mode == "trickle":
            common.trickle(self.wfile)
            self.close_connection = True
            return
        if mode == "cut":
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        self.wfile.write(body)
        self.wfile.flush()
        if mode == "exit":
            self.connection.close()
            os._exit(0)


def main():
    common.exit_with_parent()
    args = sys.argv[1:]
    Handler.folder = args[0]
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if "--tls" in args:
        cert, key = make_certificates(args[args.index("--tls") + 1], "--untrusted" in args)
        common.use_tls(server, cert, key)
    common.announce(server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
