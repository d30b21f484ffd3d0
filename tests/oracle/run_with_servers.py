"""Runs a command beside test servers of its own on 127.0.0.1: nginx serving
prepared update folders (and redirect chains, error statuses, a slow
transfer), a logging forwarding proxy, and a server that stalls in the middle
of every package. Tells the command where they are through the environment:
  VANDREL_TEST_HTTP       nginx's base address
  VANDREL_TEST_SITE       the folder nginx serves (to compare what was fetched)
  VANDREL_TEST_PROXY      the proxy's host:port; VANDREL_TEST_PROXY_LOG its log
  VANDREL_TEST_STALL      the stalling server's base address (under huge/ it
                          promises a package of 2000000000 bytes)
  VANDREL_TEST_TRICKLE    a server that answers every request with one byte
                          every 3 s
  VANDREL_TEST_CA         a test CA made for this run (DER), when openssl is
                          there, and three https servers with a certificate
                          for 127.0.0.1 from it: VANDREL_TEST_TLS12 (TLS 1.2
                          only), VANDREL_TEST_TLS11 and VANDREL_TEST_TLS13;
                          /tls/ on nginx redirects to the first, and /down/
                          on each leads back to http;
                          VANDREL_TEST_TLS13_CONTROL is the status this host
                          got from the TLS 1.3 server (Wine cannot speak 1.3)
  VANDREL_TEST_SIGNED     set when osslsigncode is there too: signed/ serves the
                          installer signed by a publisher of that CA,
                          tampered/ the same with one byte changed, foreign/
                          one signed under a CA nobody trusts, and publisher/
                          one signed by another publisher of the test CA;
                          VANDREL_TEST_PUBLISHER_SHA256 is the SHA-256 of the
                          first publisher's certificate
Every update folder carries a manifest signed with the test key
(tests/keys/update-test-key.pem) unless its name says otherwise: rotated/ is
signed with the second test key, otherkey/ with a key made for this run;
nomanifest/ and nosig/ lack the manifest or its signature; altered/ serves
packages with one byte changed, sizemismatch/ a manifest whose sizes are one
byte off, mismatch/ a manifest of another version than its version file,
forged/ a version file of 99 beside download/'s genuine manifest, gone/ a
signed manifest of an installer it does not have; big/ a version file of
10 MB, linebreak/ one of two lines; zip-NAME/ the hostile archives of zips.py,
each signed. It stops them all
afterwards. Nothing listens beyond 127.0.0.1.

  run_with_servers.py [--installer EXE] [--release-zip ZIP] -- COMMAND [ARGS...]

--installer is served as every Vandrel-setup.exe; --release-zip (what
scripts/release made) as the portable package, when it exists.
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


def read_head(sock, head=b""):
    """Reads until a request's blank line; what came so far, or None when the
    peer closed first."""
    while b"\r\n\r\n" not in head and len(head) < 65536:
        chunk = sock.recv(4096)
        if not chunk:
            return None
        head += chunk
    return head


def serve_on_loopback(handler):
    """A threading TCP server of `handler` on 127.0.0.1 at a free port,
    serving on a daemon thread until its shutdown."""
    import socketserver
    import threading

    class Server(socketserver.ThreadingMixIn, socketserver.TCPServer):
        daemon_threads = True
        allow_reuse_address = True

    server = Server(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class LoggingProxy:
    """A forwarding HTTP proxy for 127.0.0.1 only, logging each request line.
    tinyproxy refuses a request whose target is its own address unless the
    client names the target in absolute form, and Wine's WinHTTP sends the
    path alone; this proxy takes the target from either form."""

    def __init__(self, log_path):
        import socketserver

        log = open(log_path, "a", buffering=1)

        class Handler(socketserver.StreamRequestHandler):
            def handle(self):
                head = read_head(self.request)
                if head is None:
                    return
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
                # One request a connection: the client cannot reuse it.
                fixed = [f"{method} {target} {version}"] + [
                    l for l in lines[1:]
                    if not l.lower().startswith(("proxy-", "connection:", "keep-alive:"))] + ["Connection: close"]
                upstream.sendall(("\r\n".join(fixed) + "\r\n\r\n").encode("latin-1") + rest)
                while True:
                    data = upstream.recv(65536)
                    if not data:
                        break
                    self.request.sendall(data)
                upstream.close()

        self.server = serve_on_loopback(Handler)
        self.port = self.server.server_address[1]

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


class StallingServer:
    """Answers version files, manifests and their signatures at once (from
    `files`, by name); of anything else it sends the headers and the first
    kilobyte of 100000 bytes, then nothing more. Under /silent-package/ a
    package gets not even its headers, and under /mute/ nothing gets an
    answer."""

    def __init__(self, files):
        import socketserver

        class Handler(socketserver.BaseRequestHandler):
            def handle(self):
                # Version files on a kept-alive connection, so that the
                # package may come on the same one.
                head = b""
                while True:
                    head = read_head(self.request, head)
                    if head is None:
                        return
                    request, _, head = head.partition(b"\r\n\r\n")
                    target = request.split(b" ", 2)[1]
                    name = target.rsplit(b"/", 1)[-1].decode("latin-1")
                    if target.startswith(b"/mute/") or name not in files:
                        break
                    body = files[name]
                    self.request.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + body)
                length = b"2000000000" if target.startswith(b"/huge/") else b"100000"
                if not target.startswith((b"/mute/", b"/silent-package/")):
                    self.request.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: " + length + b"\r\n\r\n" + b"s" * 1000)
                self.request.settimeout(60)
                try:
                    while self.request.recv(4096):
                        pass
                except OSError:
                    pass

        self.server = serve_on_loopback(Handler)
        self.port = self.server.server_address[1]

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


class TrickleServer:
    """Answers every request with a length of 64 and then one byte every 3 s:
    never silent long enough for a receive time-out. Each answer stops after
    20 bytes (a minute)."""

    def __init__(self):
        import socketserver
        import threading
        stop = self.stop_event = threading.Event()

        class Handler(socketserver.BaseRequestHandler):
            def handle(self):
                if read_head(self.request) is None:
                    return
                try:
                    self.request.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 64\r\n\r\n")
                    for _ in range(20):
                        self.request.sendall(b"9")
                        if stop.wait(3):
                            return
                except OSError:
                    pass

        self.server = serve_on_loopback(Handler)
        self.port = self.server.server_address[1]

    def stop(self):
        self.stop_event.set()
        self.server.shutdown()
        self.server.server_close()


def make_zip(path, names):
    import zipfile
    with zipfile.ZipFile(path, "w") as z:
        for name in names:
            info = zipfile.ZipInfo("x")
            info.filename = name  # as given: zipfile would turn backslashes into slashes
            z.writestr(info, b"content of " + name.encode())


def make_test_ca(work, name="ca"):
    """A CA for this run and a code-signing publisher under it; None without openssl."""
    openssl = shutil.which("openssl")
    if not openssl:
        return None
    ca = os.path.join(work, name)
    os.makedirs(ca)
    run = lambda *args: subprocess.run([openssl, *args], cwd=ca, check=True, capture_output=True)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
        "-subj", "/CN=Vandrel Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    run("x509", "-in", "ca.pem", "-outform", "der", "-out", "ca.der")
    with open(os.path.join(ca, "sign.ext"), "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
    run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "sign.key", "-out", "sign.csr", "-subj",
        "/CN=Vandrel Test Publisher")
    run("x509", "-req", "-in", "sign.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-out",
        "sign.pem", "-days", "2", "-extfile", "sign.ext")
    run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "other.key", "-out", "other.csr", "-subj",
        "/CN=Vandrel Other Publisher")
    run("x509", "-req", "-in", "other.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-out",
        "other.pem", "-days", "2", "-extfile", "sign.ext")
    run("x509", "-in", "sign.pem", "-outform", "der", "-out", "sign.der")
    return ca


def add_signed_installers(root, installer, ca, foreign_ca):
    """signed/ and tampered/: the installer signed by the test publisher, and
    the same with one byte of its code changed; foreign/: signed by a
    publisher under a CA that nobody trusts; publisher/: signed by another
    publisher of the test CA. Each with a manifest that matches what it
    serves, so that only the Authenticode signature is in question."""
    osslsigncode = shutil.which("osslsigncode")
    if not osslsigncode or not ca or not foreign_ca:
        return False
    for name, authority, publisher in (("signed", ca, "sign"), ("foreign", foreign_ca, "sign"),
                                       ("publisher", ca, "other")):
        os.makedirs(os.path.join(root, name, "Vandrel"))
        subprocess.run([osslsigncode, "sign", "-certs", os.path.join(authority, publisher + ".pem"), "-key",
                        os.path.join(authority, publisher + ".key"), "-h", "sha256", "-in", installer, "-out",
                        os.path.join(root, name, "Vandrel", "Vandrel-setup.exe")], check=True, capture_output=True)
    signed = os.path.join(root, "signed", "Vandrel", "Vandrel-setup.exe")
    with open(signed, "rb") as f:
        data = bytearray(f.read())
    data[len(data) // 4] ^= 0xFF  # inside the image, before the signature
    os.makedirs(os.path.join(root, "tampered", "Vandrel"))
    with open(os.path.join(root, "tampered", "Vandrel", "Vandrel-setup.exe"), "wb") as f:
        f.write(data)
    for name in ("signed", "tampered", "foreign", "publisher"):
        publish(os.path.join(root, name, "Vandrel"), b"9.0.27.1")
    return True


KEYS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "keys")
TEST_KEY = os.path.join(KEYS, "update-test-key.pem")
SECOND_TEST_KEY = os.path.join(KEYS, "update-test-key-2.pem")
PACKAGES = ("Vandrel-setup.exe", "Vandrel.zip")


def openssl_sign(data, key):
    """An ECDSA signature of `data` in DER, as scripts/release makes it."""
    return subprocess.run(["openssl", "dgst", "-sha256", "-sign", key], input=data, check=True,
                          capture_output=True).stdout


def manifest_text(version, folder, size_delta=0):
    import hashlib
    lines = [f"version {version}"]
    for name in PACKAGES:
        path = os.path.join(folder, name)
        if os.path.exists(path):
            with open(path, "rb") as f:
                data = f.read()
            lines.append(f"sha256 {hashlib.sha256(data).hexdigest()} {len(data) + size_delta} {name}")
    return ("\n".join(lines) + "\n").encode()


def publish(folder, version_file, manifest_version=None, key=TEST_KEY, manifest=True, signature=True, size_delta=0):
    """The version file, and a manifest of the packages in `folder` with its
    signature: what scripts/release --key lays out."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "version.txt"), "wb") as f:
        f.write(version_file)
    text = manifest_text(manifest_version or version_file.decode().strip(), folder, size_delta)
    if manifest:
        with open(os.path.join(folder, "Vandrel.manifest"), "wb") as f:
            f.write(text)
    if signature:
        with open(os.path.join(folder, "Vandrel.manifest.sig"), "wb") as f:
            f.write(openssl_sign(text, key))


def copy_packages(source, folder, change_byte=False):
    os.makedirs(folder, exist_ok=True)
    for name in PACKAGES:
        if os.path.exists(os.path.join(source, name)):
            with open(os.path.join(source, name), "rb") as f:
                data = bytearray(f.read())
            if change_byte:
                data[len(data) // 2] ^= 0x01
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


def prepare_site(root, work, installer=None, release_zip=None):
    folder = os.path.join(root, "download", "Vandrel")
    os.makedirs(folder)
    if release_zip and os.path.exists(release_zip):
        shutil.copyfile(release_zip, os.path.join(folder, "Vandrel.zip"))
    else:
        make_zip(os.path.join(folder, "Vandrel.zip"), ["Vandrel.exe", "Language/", "Language/English.ini"])
    if installer:
        shutil.copyfile(installer, os.path.join(folder, "Vandrel-setup.exe"))
    with open(os.path.join(folder, "pattern.bin"), "wb") as f:
        f.write(bytes(range(256)) * 400)  # 102400 bytes
    publish(folder, b" 9.0.27.1\r\n")
    # An archive that would write outside the program folder, signed all the same.
    os.makedirs(os.path.join(root, "bad", "Vandrel"))
    make_zip(os.path.join(root, "bad", "Vandrel", "Vandrel.zip"), ["Vandrel.exe", "..\\evil.txt"])
    publish(os.path.join(root, "bad", "Vandrel"), b"9.0.27.1")
    for name, version in (("same", b"9.0.26.320\n"), ("older", b"9.0.25")):
        copy_packages(folder, os.path.join(root, name, "Vandrel"))
        publish(os.path.join(root, name, "Vandrel"), version)
    os.makedirs(os.path.join(root, "blank", "Vandrel"))
    with open(os.path.join(root, "blank", "Vandrel", "version.txt"), "wb") as f:
        f.write(b" \r\n\t")
    # What an attacker who answers for a mirror can serve.
    other_key = os.path.join(work, "other-key.pem")
    subprocess.run(["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", other_key], check=True,
                   capture_output=True)
    cases = {
        "rotated": dict(key=SECOND_TEST_KEY),
        "otherkey": dict(key=other_key),
        "nomanifest": dict(manifest=False, signature=False),
        "nosig": dict(signature=False),
        "mismatch": dict(manifest_version="9.0.27.2"),
        "sizemismatch": dict(size_delta=1),
    }
    for name, how in cases.items():
        copy_packages(folder, os.path.join(root, name, "Vandrel"))
        publish(os.path.join(root, name, "Vandrel"), b"9.0.27.1", **how)
    # A signed manifest for an installer the server does not have (404).
    gone = os.path.join(root, "gone", "Vandrel")
    os.makedirs(gone)
    text = b"version 9.0.27.1\nsha256 " + b"0" * 64 + b" 1000 Vandrel-setup.exe\n"
    for name, data in (("version.txt", b"9.0.27.1"), ("Vandrel.manifest", text),
                       ("Vandrel.manifest.sig", openssl_sign(text, TEST_KEY))):
        with open(os.path.join(gone, name), "wb") as f:
            f.write(data)
    # Bounds of the check: a huge version file, one of two lines.
    os.makedirs(os.path.join(root, "big", "Vandrel"))
    with open(os.path.join(root, "big", "Vandrel", "version.txt"), "wb") as f:
        f.write(b"9" * (10 << 20))
    copy_packages(folder, os.path.join(root, "linebreak", "Vandrel"))
    publish(os.path.join(root, "linebreak", "Vandrel"), b"9.0.27.1\n9.0.28\n", manifest_version="9.0.27.1")
    # Archives an extractor would read otherwise than the check, each signed.
    import zips
    for name, make in zips.HOSTILE.items():
        hostile = os.path.join(root, "zip-" + name, "Vandrel")
        os.makedirs(hostile)
        with open(os.path.join(hostile, "Vandrel.zip"), "wb") as f:
            f.write(make())
        publish(hostile, b"9.0.27.1")
    # The genuine manifest, with packages that were changed after it was signed.
    copy_packages(folder, os.path.join(root, "altered", "Vandrel"), change_byte=True)
    for name in ("Vandrel.manifest", "Vandrel.manifest.sig"):
        shutil.copyfile(os.path.join(folder, name), os.path.join(root, "altered", "Vandrel", name))
    with open(os.path.join(root, "altered", "Vandrel", "version.txt"), "wb") as f:
        f.write(b"9.0.27.1")
    # A version file of its own beside the genuine manifest and packages.
    copy_packages(folder, os.path.join(root, "forged", "Vandrel"))
    for name in ("Vandrel.manifest", "Vandrel.manifest.sig"):
        shutil.copyfile(os.path.join(folder, name), os.path.join(root, "forged", "Vandrel", name))
    with open(os.path.join(root, "forged", "Vandrel", "version.txt"), "wb") as f:
        f.write(b"99")


def make_server_certificate(ca):
    """A certificate for 127.0.0.1 from the test CA: (certificate, key). The
    address stands as a DNS name too: Wine's name check reads no IP entries."""
    openssl = shutil.which("openssl")
    run = lambda *args: subprocess.run([openssl, *args], cwd=ca, check=True, capture_output=True)
    with open(os.path.join(ca, "server.ext"), "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\nsubjectAltName=IP:127.0.0.1,DNS:127.0.0.1\n")
    run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1")
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-out",
        "server.pem", "-days", "2", "-extfile", "server.ext")
    return os.path.join(ca, "server.pem"), os.path.join(ca, "server.key")


# The TLS servers: a name, the protocols it speaks, and its ciphers.
TLS_SERVERS = (
    ("tls12", "TLSv1.2", "HIGH:!aNULL"),
    # Debian's OpenSSL refuses TLS 1.1 at its default security level.
    ("tls11", "TLSv1.1", "DEFAULT@SECLEVEL=0"),
    ("tls13", "TLSv1.3", "HIGH:!aNULL"),
)


def tls_config(root, port, http_port, certificate, key, protocols, ciphers):
    return f"""
  server {{
    listen 127.0.0.1:{port} ssl;
    ssl_certificate {certificate};
    ssl_certificate_key {key};
    ssl_protocols {protocols};
    ssl_ciphers {ciphers};
    root {root};
    location /down/ {{ rewrite ^/down/(.*)$ http://127.0.0.1:{http_port}/download/$1 redirect; }}
  }}
"""


def host_control(url, ca_file, version):
    """The status of a GET made from this host with only the given TLS
    version: shows that a server speaks it (Wine's TLS has no 1.3)."""
    import ssl
    import urllib.request
    context = ssl.create_default_context(cafile=ca_file)
    context.minimum_version = context.maximum_version = version
    try:
        with urllib.request.urlopen(url, context=context, timeout=10) as r:
            return r.status
    except Exception as e:  # reported to the test as a failed control
        print("control request failed:", e)
        return 0


def nginx_config(work, root, port, tls="", tls12_port=None):
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
    location /slow/ {{ alias {root}/download/; limit_rate 200k; }}
    location /tls/ {{ rewrite ^/tls/(.*)$ https://127.0.0.1:{tls12_port or 9}/download/$1 redirect; }}
  }}
{tls}
}}
"""


def main():
    if "--" not in sys.argv:
        print(__doc__)
        return 2
    options = sys.argv[1:sys.argv.index("--")]
    command = sys.argv[sys.argv.index("--") + 1:]
    option = lambda name: options[options.index(name) + 1] if name in options else None
    nginx = shutil.which("nginx") or "/usr/sbin/nginx"
    if not os.path.exists(nginx):
        print("nginx missing: skipped (scripts/bootstrap installs it)")
        return 77
    work = tempfile.mkdtemp(prefix="vandrel-servers-")
    os.chmod(work, 0o755)  # nginx's workers may run as another user
    servers = []
    proxy = stalling = trickle = None
    try:
        root = os.path.join(work, "site")
        os.makedirs(os.path.join(work, "tmp"))
        installer = option("--installer")
        prepare_site(root, work, installer, option("--release-zip"))
        ca = make_test_ca(work)
        signed = installer and add_signed_installers(root, installer, ca, make_test_ca(work, "foreign-ca"))
        port = free_port()
        tls, tls_ports = "", {}
        if ca:
            certificate, key = make_server_certificate(ca)
            for name, protocols, ciphers in TLS_SERVERS:
                tls_ports[name] = free_port()
                tls += tls_config(root, tls_ports[name], port, certificate, key, protocols, ciphers)
        with open(os.path.join(work, "nginx.conf"), "w") as f:
            f.write(nginx_config(work, root, port, tls, tls_ports.get("tls12")))
        servers.append(subprocess.Popen([nginx, "-c", os.path.join(work, "nginx.conf"), "-p", work],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        proxy_log = os.path.join(work, "proxy.log")
        proxy = LoggingProxy(proxy_log)
        proxy_port = proxy.port
        if not all(wait_for(p) for p in [port, proxy_port, *tls_ports.values()]):
            print("the test servers did not start")
            return 1
        stall_manifest = b"version 9.0.27.1\nsha256 " + b"0" * 64 + b" 100000 Vandrel-setup.exe\n"
        stalling = StallingServer({"version.txt": b"9.0.27.1", "Vandrel.manifest": stall_manifest,
                                   "Vandrel.manifest.sig": openssl_sign(stall_manifest, TEST_KEY)})
        trickle = TrickleServer()
        env = dict(os.environ, VANDREL_TEST_HTTP=f"http://127.0.0.1:{port}/", VANDREL_TEST_SITE=root,
                   VANDREL_TEST_TRICKLE=f"http://127.0.0.1:{trickle.port}/",
                   VANDREL_TEST_PROXY=f"127.0.0.1:{proxy_port}", VANDREL_TEST_PROXY_LOG=proxy_log,
                   VANDREL_TEST_STALL=f"http://127.0.0.1:{stalling.port}/")
        if ca:
            env["VANDREL_TEST_CA"] = os.path.join(ca, "ca.der")
            for name, tls_port in tls_ports.items():
                env["VANDREL_TEST_" + name.upper()] = f"https://127.0.0.1:{tls_port}/"
            import ssl
            env["VANDREL_TEST_TLS13_CONTROL"] = str(host_control(
                f"https://127.0.0.1:{tls_ports['tls13']}/download/Vandrel/version.txt", os.path.join(ca, "ca.pem"),
                ssl.TLSVersion.TLSv1_3))
        if signed:
            import hashlib
            env["VANDREL_TEST_SIGNED"] = "1"
            with open(os.path.join(ca, "sign.der"), "rb") as f:
                env["VANDREL_TEST_PUBLISHER_SHA256"] = hashlib.sha256(f.read()).hexdigest()
        return subprocess.run(command, env=env, timeout=900).returncode
    finally:
        if proxy:
            proxy.stop()
        if stalling:
            stalling.stop()
        if trickle:
            trickle.stop()
        for s in servers:
            s.terminate()
            try:
                s.wait(timeout=10)
            except subprocess.TimeoutExpired:
                s.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
