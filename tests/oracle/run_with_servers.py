"""Runs a command beside test servers of its own on 127.0.0.1: nginx serving
a prepared update folder (and redirect chains, error statuses, a slow
transfer), and a logging forwarding proxy. Tells the command where they are through
VANDREL_TEST_HTTP (the server's base address) and VANDREL_TEST_PROXY
(host:port) and VANDREL_TEST_PROXY_LOG (the proxy's log), and stops both
afterwards. Nothing listens beyond 127.0.0.1.

  run_with_servers.py -- COMMAND [ARGS...]
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(port, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        with socket.socket() as s:
            if s.connect_ex(("127.0.0.1", port)) == 0:
                return True
        time.sleep(0.1)
    return False


class LoggingProxy:
    """A forwarding HTTP proxy for 127.0.0.1 only, logging each request line.
    tinyproxy refuses a request whose target is its own address unless the
    client names the target in absolute form, and Wine's WinHTTP sends the
    path alone; this proxy takes the target from either form."""

    def __init__(self, log_path):
        import socketserver
        import threading

        log = open(log_path, "a", buffering=1)

        class Handler(socketserver.StreamRequestHandler):
            def handle(self):
                head = b""
                while b"\r\n\r\n" not in head and len(head) < 65536:
                    chunk = self.request.recv(4096)
                    if not chunk:
                        return
                    head += chunk
                header, _, rest = head.partition(b"\r\n\r\n")
                lines = header.decode("latin-1").split("\r\n")
                method, target, version = lines[0].split(" ", 2)
                host = next((l.split(":", 1)[1].strip() for l in lines[1:] if l.lower().startswith("host:")), "")
                if target.startswith("http://"):
                    host, _, path = target[len("http://"):].partition("/")
                    target = "/" + path
                name, _, port = host.partition(":")
                log.write(f"{method} http://{host}{target} {version}\n")
                if name != "127.0.0.1":
                    self.request.sendall(b"HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n")
                    return
                upstream = socket.create_connection(("127.0.0.1", int(port or 80)), timeout=30)
                fixed = [f"{method} {target} {version}"] + [l for l in lines[1:] if not l.lower().startswith("proxy-")]
                upstream.sendall(("\r\n".join(fixed) + "\r\n\r\n").encode("latin-1") + rest)
                while True:
                    data = upstream.recv(65536)
                    if not data:
                        break
                    self.request.sendall(data)
                upstream.close()

        class Server(socketserver.ThreadingMixIn, socketserver.TCPServer):
            daemon_threads = True
            allow_reuse_address = True

        self.server = Server(("127.0.0.1", 0), Handler)
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


def prepare_site(root):
    folder = os.path.join(root, "download", "Vandrel")
    os.makedirs(folder)
    with open(os.path.join(folder, "version.txt"), "wb") as f:
        f.write(b" 9.0.27.1\r\n")
    with open(os.path.join(folder, "Vandrel.zip"), "wb") as f:
        f.write(bytes(range(256)) * 400)  # 102400 bytes
    for name, version in (("same", b"9.0.26.320\n"), ("older", b"9.0.25")):
        os.makedirs(os.path.join(root, name, "Vandrel"))
        with open(os.path.join(root, name, "Vandrel", "version.txt"), "wb") as f:
            f.write(version)
    os.makedirs(os.path.join(root, "blank", "Vandrel"))
    with open(os.path.join(root, "blank", "Vandrel", "version.txt"), "wb") as f:
        f.write(b" \r\n\t")


def nginx_config(work, root, port):
    # /chain/N redirects to /chain/N-1; /chain/0 is the version file: a chain
    # of N redirects before the answer.
    chain = "\n".join(
        f"    location = /chain/{n} {{ return 302 http://127.0.0.1:{port}/chain/{n - 1}; }}" for n in range(1, 17))
    return f"""
worker_processes 1;
pid {work}/nginx.pid;
error_log {work}/error.log;
daemon off;
events {{ worker_connections 64; }}
http {{
  access_log {work}/access.log;
  client_body_temp_path {work}/tmp;
  proxy_temp_path {work}/tmp;
  fastcgi_temp_path {work}/tmp;
  uwsgi_temp_path {work}/tmp;
  scgi_temp_path {work}/tmp;
  default_type application/octet-stream;
  server {{
    listen 127.0.0.1:{port};
    root {root};
    location = /chain/0 {{ default_type text/plain; return 200 "9.0.27.1"; }}
{chain}
    location = /error/Vandrel/version.txt {{ return 500; }}
    location /slow/ {{ alias {root}/download/; limit_rate 20k; }}
  }}
}}
"""


def main():
    if "--" not in sys.argv:
        print(__doc__)
        return 2
    command = sys.argv[sys.argv.index("--") + 1:]
    nginx = shutil.which("nginx") or "/usr/sbin/nginx"
    if not os.path.exists(nginx):
        print("nginx missing: skipped (scripts/bootstrap installs it)")
        return 77
    work = tempfile.mkdtemp(prefix="vandrel-servers-")
    os.chmod(work, 0o755)  # nginx's workers may run as another user
    servers = []
    proxy = None
    try:
        root = os.path.join(work, "site")
        os.makedirs(os.path.join(work, "tmp"))
        prepare_site(root)
        port = free_port()
        with open(os.path.join(work, "nginx.conf"), "w") as f:
            f.write(nginx_config(work, root, port))
        servers.append(subprocess.Popen([nginx, "-c", os.path.join(work, "nginx.conf"), "-p", work],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        proxy_log = os.path.join(work, "proxy.log")
        proxy = LoggingProxy(proxy_log)
        proxy_port = proxy.port
        if not wait_for(port) or not wait_for(proxy_port):
            print("the test servers did not start")
            return 1
        env = dict(os.environ, VANDREL_TEST_HTTP=f"http://127.0.0.1:{port}/",
                   VANDREL_TEST_PROXY=f"127.0.0.1:{proxy_port}", VANDREL_TEST_PROXY_LOG=proxy_log)
        return subprocess.run(command, env=env, timeout=900).returncode
    finally:
        if proxy:
            proxy.stop()
        for s in servers:
            s.terminate()
            try:
                s.wait(timeout=10)
            except subprocess.TimeoutExpired:
                s.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
