#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""A throwaway FTP server for tests, on a loopback port.

Prints "PORT <n>" on standard output once it accepts connections, then serves until it
gets SIGTERM. Every command it receives is logged to --log, so a test can read what the
client sent.

  --root DIR            folder that users and anonymous see as /
  --user NAME:PASSWORD  a user with read access to the root (repeatable)
  --anonymous           allow anonymous logon (read only)
  --port N              listen on N; 0 (the default) picks a free port
  --mode normal|silent|stall
                        silent: accept connections and never answer;
                        stall: send the first 64 KiB of a download, then nothing more
  --endless NAME        a download of a file of this name (in any folder, present or not)
                        never ends
  --rate N              send every download at about N bytes per second
  --log FILE            where the server's log goes (default: standard error)

Start it with Debian's /usr/bin/python3, which has pyftpdlib.
"""

import argparse
import logging
import os
import signal
import socket
import sys
import time


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", action="append", default=[])
    parser.add_argument("--anonymous", action="store_true")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--mode", choices=["normal", "silent", "stall"], default="normal")
    parser.add_argument("--endless")
    parser.add_argument("--rate", type=int, default=0)
    parser.add_argument("--log")
    return parser.parse_args()


def announce(port):
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()


def serve_silently(host, port):
    # Accepts every connection and holds it open without sending a byte.
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((host, port))
    listener.listen(16)
    announce(listener.getsockname()[1])
    held = []
    while True:
        connection, _ = listener.accept()
        logging.info("silent: accepted a connection and says nothing")
        held.append(connection)


def serve_ftp(args):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import DTPHandler, FTPHandler
    from pyftpdlib.servers import FTPServer

    authorizer = DummyAuthorizer()
    for entry in args.user:
        name, _, password = entry.partition(":")
        authorizer.add_user(name, password, args.root, perm="elr")
    if args.anonymous:
        authorizer.add_anonymous(args.root, perm="elr")

    from pyftpdlib.filesystems import AbstractedFS
    from pyftpdlib.handlers import ThrottledDTPHandler

    class EndlessFile:
        """Reads as an endless run of bytes."""

        name = "endless"
        closed = False

        def read(self, size=65536):
            return b"e" * size

        def seek(self, *_):
            pass

        def close(self):
            self.closed = True

    class FileSystem(AbstractedFS):
        def open(self, filename, mode):
            if args.endless and os.path.basename(filename) == args.endless:
                logging.info("endless: %s", filename)
                return EndlessFile()
            return AbstractedFS.open(self, filename, mode)

    class Handler(FTPHandler):
        abstracted_fs = FileSystem

        def ftp_SIZE(self, path):
            # An endless file has no size to tell, as a hostile server would hide it.
            if args.endless and os.path.basename(path) == args.endless:
                self.respond("502 No size for this file.")
                return
            return FTPHandler.ftp_SIZE(self, path)

    Handler.authorizer = authorizer
    Handler.banner = "test server ready"
    Handler.auth_failed_timeout = 0  # tests need no delay against password guessing
    if args.mode == "stall":
        # The data connection stays open, but after 64 KiB nothing more is sent.
        class Stalling(DTPHandler):
            def use_sendfile(self):
                return False

            def send(self, data):
                sent = DTPHandler.send(self, data)
                if self.tot_bytes_sent >= 65536:
                    logging.info("stall: %d bytes sent, no more", self.tot_bytes_sent)
                    self.del_channel()
                return sent

        Handler.dtp_handler = Stalling

    if args.rate > 0:
        class Throttled(ThrottledDTPHandler):
            write_limit = args.rate

        Handler.dtp_handler = Throttled
    elif args.endless:
        class Plain(DTPHandler):
            def use_sendfile(self):
                return False

        Handler.dtp_handler = Plain
    server = FTPServer((args.host, args.port), Handler)
    server.max_cons = 64
    announce(server.socket.getsockname()[1])
    server.serve_forever(handle_exit=False)


def main():
    args = parse_arguments()
    log_format = "%(asctime)s %(message)s"
    if args.log:
        logging.basicConfig(filename=args.log, level=logging.DEBUG, format=log_format)
    else:
        logging.basicConfig(stream=sys.stderr, level=logging.DEBUG, format=log_format)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    if args.mode == "silent":
        serve_silently(args.host, args.port)
    else:
        serve_ftp(args)


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        pass
