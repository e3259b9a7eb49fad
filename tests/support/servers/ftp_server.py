"""FTP server for the network client tests, on 127.0.0.1 and a free port.

  ftp_server.py ROOT LOG [BREAKING]

Anonymous users read ROOT; the user "observer" with password "right" too. Every command the
server receives is appended to the file LOG, one per line (passwords included: test data).
A file named BREAKING ("broken.txt" when not given) breaks off after its first 64 KiB, as a
dropped line would.
"""
import logging
import sys

import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

import common

BREAKING = "broken.txt"


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


class FS(AbstractedFS):
    def open(self, filename, mode):
        f = super().open(filename, mode)
        return BreakingFile(f) if os.path.basename(filename) == BREAKING else f


def main():
    common.exit_with_parent()
    global BREAKING
    root, log = sys.argv[1], sys.argv[2]
    if len(sys.argv) > 3:
        BREAKING = sys.argv[3]
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
