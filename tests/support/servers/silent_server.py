"""Accepts connections on 127.0.0.1 and a free port, then never says a word."""
import socket

import common


def main():
    common.exit_with_parent()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    common.announce(listener.getsockname()[1])
    held = []
    while True:
        conn, _ = listener.accept()
        held.append(conn)  # kept open and unanswered


if __name__ == "__main__":
    main()
