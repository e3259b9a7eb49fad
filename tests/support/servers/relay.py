"""Passes each connection made to a socket on to another socket, as a network between two
machines would: a client that hangs up has only stopped sending, so the service still gets
all the client sent, and what the service sends afterwards is taken and dropped.
Usage: relay.py LISTEN_SOCKET SERVICE_SOCKET (both paths of Unix sockets)."""
import socket
import sys
import threading

import common


def pump(source, sink, on_end):
    # Copies until the source ends; a sink that has gone only makes the copy go nowhere.
    sink_open = True
    while True:
        try:
            data = source.recv(65536)
        except OSError:
            data = b""
        if not data:
            break
        if sink_open:
            try:
                sink.sendall(data)
            except OSError:
                sink_open = False
    on_end()


def serve(client, service_path):
    service = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        service.connect(service_path)
    except OSError:
        client.close()
        service.close()
        return

    def client_ended():
        try:
            service.shutdown(socket.SHUT_WR)
        except OSError:
            pass

    def service_ended():
        try:
            client.shutdown(socket.SHUT_WR)
        except OSError:
            pass

    up = threading.Thread(target=pump, args=(client, service, client_ended), daemon=True)
    down = threading.Thread(target=pump, args=(service, client, service_ended), daemon=True)
    up.start()
    down.start()
    up.join()
    down.join()
    client.close()
    service.close()


def main():
    common.exit_with_parent()
    listen_path, service_path = sys.argv[1], sys.argv[2]
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    listener.bind(listen_path)
    listener.listen(64)
    common.announce(0)
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client, service_path), daemon=True).start()


if __name__ == "__main__":
    main()
