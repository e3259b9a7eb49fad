"""Shared by the test servers: announce the port, speak TLS, trickle, and never outlive the test
program."""
import os
import ssl
import sys
import threading
import time


def use_tls(server, cert, key, tls12_only=False):
    # TLS 1.2 at the least (and at the most with tls12_only) on the server's socket.
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.minimum_version = ssl.TLSVersion.TLSv1_2
    if tls12_only:
        ctx.maximum_version = ssl.TLSVersion.TLSv1_2
    ctx.load_cert_chain(cert, key)
    server.socket = ctx.wrap_socket(server.socket, server_side=True)


def announce(port):
    # The test program reads this one line to learn where to connect.
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()


def exit_with_parent():
    # A test program that crashes cannot stop its server; the server notices and goes.
    parent = os.getppid()

    def watch():
        while True:
            if os.getppid() != parent:
                os._exit(0)
            time.sleep(0.2)

    threading.Thread(target=watch, daemon=True).start()


def trickle(out, seconds=600):
    # "x\n" every 0.1 s, far slower than any client may accept, until the client goes.
    try:
        for _ in range(int(seconds * 10)):
            out.write(b"x\n")
            out.flush()
            time.sleep(0.1)
    except OSError:
        pass
