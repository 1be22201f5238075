#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""A throwaway update server for tests, on a loopback port: FTP, FTP with explicit TLS, or
HTTPS.

Prints "PORT <n>" on standard output once it accepts connections, then serves until it
gets SIGTERM. Every command or request it receives is logged to --log, so a test can read
what the client sent.

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
  --protocol ftp|ftps|https
                        ftps: AUTH TLS required before logging on, and PROT P before
                        every transfer; https: the root over HTTPS (GET and HEAD, byte
                        ranges, basic authentication for --user unless --anonymous)
  --certificate FILE    the server's certificate and key (PEM), for ftps and https
  --cut N               every download stops after N bytes: the connection closes early,
                        as when a link breaks

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
    parser.add_argument("--protocol", choices=["ftp", "ftps", "https"], default="ftp")
    parser.add_argument("--certificate")
    parser.add_argument("--cut", type=int, default=0)
    return parser.parse_args()


class CutFile:
    """A file that ends after `limit` bytes."""

    def __init__(self, inner, limit):
        self.inner = inner
        self.left = limit
        self.name = inner.name

    @property
    def closed(self):
        return self.inner.closed

    def read(self, size=65536):
        if self.left <= 0:
            logging.info("cut: the download stops here")
            return b""
        data = self.inner.read(min(size, self.left))
        self.left -= len(data)
        return data

    def seek(self, *args):
        return self.inner.seek(*args)

    def close(self):
        self.inner.close()


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

    if args.protocol == "ftps":
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

        class HandshakeBeforeTransfer(TLS_DTPHandler):
            # A client may start the data connection's handshake before it sends RETR (libcurl
            # does); the stock handler takes an early readable data connection for a dead one
            # and closes it.
            def readable(self):
                return self._ssl_accepting or super().readable()

            def use_sendfile(self):
                return False

        class Secure(TLS_FTPHandler):
            certfile = args.certificate
            tls_control_required = True
            tls_data_required = True
            dtp_handler = HandshakeBeforeTransfer

        BaseHandler = Secure
    else:
        BaseHandler = FTPHandler

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
            opened = AbstractedFS.open(self, filename, mode)
            if "r" in mode and args.cut > 0:
                return CutFile(opened, args.cut)
            return opened

    class Handler(BaseHandler):
        abstracted_fs = FileSystem

        def ftp_SIZE(self, path):
            # An endless file has no size to tell, as a hostile server would hide it.
            if args.endless and os.path.basename(path) == args.endless:
                self.respond("502 No size for this file.")
                return
            return BaseHandler.ftp_SIZE(self, path)

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
    elif (args.endless or args.cut) and args.protocol == "ftp":
        class Plain(DTPHandler):
            def use_sendfile(self):
                return False

        Handler.dtp_handler = Plain
    server = FTPServer((args.host, args.port), Handler)
    server.max_cons = 64
    announce(server.socket.getsockname()[1])
    server.serve_forever(handle_exit=False)


def serve_https(args):
    import base64
    import http.server
    import ssl

    users = {}
    for entry in args.user:
        name, _, password = entry.partition(":")
        users[name] = password
    root = os.path.realpath(args.root)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, form, *values):
            logging.info(form, *values)

        def allowed(self):
            if args.anonymous:
                return True
            given = self.headers.get("Authorization", "")
            if given.startswith("Basic "):
                name, _, password = base64.b64decode(given[6:]).decode().partition(":")
                if users.get(name) == password:
                    return True
            self.send_response(401)
            self.send_header("WWW-Authenticate", 'Basic realm="updates"')
            self.send_header("Content-Length", "0")
            self.end_headers()
            return False

        def local_path(self):
            from urllib.parse import unquote, urlsplit

            path = os.path.realpath(os.path.join(root, unquote(urlsplit(self.path).path).lstrip("/")))
            return path if path == root or path.startswith(root + os.sep) else None

        def answer(self, body):
            logging.info("<- %s %s Range: %s", self.command, self.path, self.headers.get("Range", "-"))
            if not self.allowed():
                return
            path = self.local_path()
            if path is None or not os.path.exists(path):
                self.send_error(404)
                return
            if os.path.isdir(path):
                self.send_response(200)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            size = os.path.getsize(path)
            start = 0
            ranged = self.headers.get("Range", "")
            if ranged.startswith("bytes=") and ranged.endswith("-"):
                start = int(ranged[6:-1])
                if start >= size:
                    self.send_error(416)
                    return
                self.send_response(206)
                self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
            else:
                self.send_response(200)
            self.send_header("Content-Length", str(size - start))
            self.end_headers()
            if not body:
                return
            with open(path, "rb") as f:
                f.seek(start)
                data = f.read()
            if args.cut > 0 and len(data) > args.cut:
                self.wfile.write(data[: args.cut])
                self.wfile.flush()
                logging.info("cut: the download stops after %d bytes", args.cut)
                self.close_connection = True
                return
            self.wfile.write(data)

        def do_GET(self):
            self.answer(True)

        def do_HEAD(self):
            self.answer(False)

    server = http.server.ThreadingHTTPServer((args.host, args.port), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.certificate)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    announce(server.socket.getsockname()[1])
    server.serve_forever()


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
    elif args.protocol == "https":
        serve_https(args)
    else:
        serve_ftp(args)


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        pass
