"""FTP server for the network client tests, on 127.0.0.1 and a free port.

  ftp_server.py ROOT LOG [BREAKING [TRICKLING]]

Anonymous users read ROOT; the user "observer" with password "right" too. Every command the
server receives is appended to the file LOG, one per line (passwords included: test data).
A file named BREAKING ("broken.txt" when not given) breaks off after its first 64 KiB, as a
dropped line would. A file named TRICKLING ("trickle.txt" when not given) comes one byte every
0.05 s.
"""
import logging
import os
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

import common

BREAKING = "broken.txt"
TRICKLING = "trickle.txt"


class BreakingFile:
    def __init__(self, f):
        self.f = f
        self.name = f.name
        self.reads = 0

    def read(self, n):
        self.reads += 1
        if self.reads > 1:
            raise OSError("line dropped")
        return self.f.read(n)

    def close(self):
        self.f.close()

    @property
    def closed(self):
        return self.f.closed


class TricklingFile(BreakingFile):
    def read(self, n):
        # The server has one thread: a short pause per byte keeps it answering commands.
        time.sleep(0.05)
        return self.f.read(1)


class FS(AbstractedFS):
    def open(self, filename, mode):
        f = super().open(filename, mode)
        name = os.path.basename(filename)
        if name == BREAKING:
            return BreakingFile(f)
        return TricklingFile(f) if name == TRICKLING else f


def main():
    common.exit_with_parent()
    global BREAKING, TRICKLING
    root, log = sys.argv[1], sys.argv[2]
    if len(sys.argv) > 3:
        BREAKING = sys.argv[3]
    if len(sys.argv) > 4:
        TRICKLING = sys.argv[4]
    logging.disable(logging.CRITICAL)

    class Handler(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            with open(log, "a") as f:
                f.write(line + "\n")
            return super().pre_process_command(line, cmd, arg)

    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root)
    authorizer.add_user("observer", "right", root)
    Handler.authorizer = authorizer
    Handler.abstracted_fs = FS
    Handler.permit_foreign_addresses = False
    Handler.auth_failed_timeout = 0  # no pause after a refused login: the tests wait for it
    server = FTPServer(("127.0.0.1", 0), Handler)
    common.announce(server.address[1])
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
