#!/usr/bin/env python3
"""A stand-in for the input service on a test's socket: answers every Take with what the
control file says, and logs each request as a JSON line.

Control file (JSON, read again whenever it changes):
  {"status": 0, "counts": [move, drag, clicks, doubleClicks, keys], "times": n}
the next n Counting replies carry the counts, later ones zeros; "status" holds until changed.
Usage: fake_inputd.py --socket PATH --control FILE --log FILE
"""

import argparse
import json
import os
import socketserver
import struct
import threading

MAGIC = 0x31525654
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

    def next_reply(self):
        with self.lock:
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
            counts = [0, 0, 0, 0, 0]
            if self.status == 0 and self.left > 0:
                counts = self.counts
                self.left -= 1
            return REPLY.pack(MAGIC, self.status, float(counts[0]), float(counts[1]),
                              *[int(v) for v in counts[2:]])


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
                self.request.sendall(control.next_reply())

    if os.path.exists(args.socket):
        os.unlink(args.socket)
    server = socketserver.ThreadingUnixStreamServer(args.socket, Handler)
    server.daemon_threads = True
    server.serve_forever()


if __name__ == "__main__":
    main()
