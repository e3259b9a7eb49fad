"""FTP server for the network client tests, on 127.0.0.1 and a free port.

  ftp_server.py ROOT LOG

Anonymous users read ROOT; the user "observer" with password "right" too. Every command the
server receives is appended to the file LOG, one per line (passwords included: test data).
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

import common


def main():
    common.exit_with_parent()
    root, log = sys.argv[1], sys.argv[2]
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
    Handler.permit_foreign_addresses = False
    server = FTPServer(("127.0.0.1", 0), Handler)
    common.announce(server.address[1])
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
