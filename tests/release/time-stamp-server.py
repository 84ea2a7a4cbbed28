"""A local RFC 3161 time-stamp server for the signing test. Each POSTed time-stamp query is
answered by `openssl ts -reply` with the test's throwaway time-stamping certificate (named
in the openssl configuration given). Prints the port it listens on, then serves until it
is stopped.

Usage: time-stamp-server.py OPENSSL_TS_CONFIG
"""
import http.server
import os
import subprocess
import sys
import tempfile

CONFIG = sys.argv[1]


class TimeStampHandler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        with tempfile.TemporaryDirectory() as folder:
            query_file = os.path.join(folder, "query.tsq")
            reply_file = os.path.join(folder, "reply.tsr")
            with open(query_file, "wb") as file:
                file.write(query)
            answered = subprocess.run(["openssl", "ts", "-reply", "-config", CONFIG, "-queryfile", query_file,
                                       "-out", reply_file], capture_output=True, check=False)
            if answered.returncode != 0:
                self.send_error(500, answered.stderr.decode(errors="replace"))
                return
            with open(reply_file, "rb") as file:
                reply = file.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, format, *args):  # pylint: disable=redefined-builtin
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), TimeStampHandler)
print(server.server_port, flush=True)
server.serve_forever()
