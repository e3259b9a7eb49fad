"""Shared by the test servers: announce the port, and never outlive the test program."""
import os
import sys
import threading
import time


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
