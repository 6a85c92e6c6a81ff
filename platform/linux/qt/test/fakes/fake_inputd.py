#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in for the input service on a test's socket: answers every Take with what the
control file says, holds a Wait until there is something to say (counts to give, or a status
other than the last one replied), and logs each request as a JSON line.

Control file (JSON, read again whenever it changes):
  {"status": 0, "counts": [move, drag, clicks, doubleClicks, keys], "times": n}
the next n Counting replies carry the counts, later ones zeros; "status" holds until changed.
Usage: fake_inputd.py --socket PATH --control FILE --log FILE
"""

import argparse
import json
import os
import select
import socket
import socketserver
import struct
import threading

MAGIC_V1 = 0x31525654  # the first version of the messages; a reply is in the request's
MAGIC = 0x32525654     # the version Tavrel speaks
REQUEST = struct.Struct("=IIII")
REPLY = struct.Struct("=IIffiii")


class Control:
    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.stamp = None
        self.status = 0
        self.counts = [0, 0, 0, 0, 0]
        self.left = 0

    def news(self, last_status):
        """Whether a Wait would be answered now."""
        with self.lock:
            self._reload()
            return self.status != last_status or (self.status == 0 and self.left > 0 and
                                                  any(self.counts))

    def next_reply(self, magic=MAGIC):
        with self.lock:
            self._reload()
            counts = [0, 0, 0, 0, 0]
            if self.status == 0 and self.left > 0:
                counts = self.counts
                self.left -= 1
            return self.status, REPLY.pack(magic, self.status, float(counts[0]),
                                           float(counts[1]), *[int(v) for v in counts[2:]])

    def _reload(self):
        """Reads the control file again if it changed; the lock is held."""
        try:
            stamp = os.stat(self.path).st_mtime_ns
        except FileNotFoundError:
            stamp = None
        if stamp is not None and stamp != self.stamp:
            self.stamp = stamp
            with open(self.path) as f:
                c = json.load(f)
            self.status = c.get("status", 0)
            self.counts = c.get("counts", [0, 0, 0, 0, 0])
            self.left = c.get("times", 1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--socket", required=True)
    parser.add_argument("--control", required=True)
    parser.add_argument("--log", required=True)
    args = parser.parse_args()
    control = Control(args.control)
    log_lock = threading.Lock()

    class Handler(socketserver.BaseRequestHandler):
        def handle(self):
            last_status = None
            while True:
                data = b""
                while len(data) < REQUEST.size:
                    try:
                        more = self.request.recv(REQUEST.size - len(data))
                    except ConnectionResetError:  # the program was killed
                        return
                    if not more:
                        return
                    data += more
                magic, kind, double_click_ms, _ = REQUEST.unpack(data)
                with log_lock, open(args.log, "a") as f:
                    f.write(json.dumps({"magic": magic, "kind": kind,
                                        "doubleClickMs": double_click_ms}) + "\n")
                while kind == 2 and not control.news(last_status):
                    # Held; a client that hangs up meanwhile ends it.
                    if select.select([self.request], [], [], 0.02)[0]:
                        if not self.request.recv(1, socket.MSG_PEEK):
                            return
                last_status, reply = control.next_reply(magic)
                self.request.sendall(reply)

    if os.path.exists(args.socket):
        os.unlink(args.socket)
    server = socketserver.ThreadingUnixStreamServer(args.socket, Handler)
    server.daemon_threads = True
    server.serve_forever()


if __name__ == "__main__":
    main()
