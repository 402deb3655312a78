# Radicale behind a hostile front, for the sync's hardening tests:
#   python3 hostile_server.py CONFIG PORT CATCHER_PORT
# Requests to PORT go to Radicale (run in this process) and its answers are
# turned as the mode says. "POST /hostile/<mode>" sets the mode,
# "GET /hostile/log" gives every request seen, one "METHOD PATH AUTH" line
# each (AUTH is 1 when an Authorization header came), the catcher's too.
# CATCHER_PORT is another origin that only notes what reaches it.
# Modes:
#   none         Radicale's answers as they are
#   cut-length   listings cut in half, Content-Length of the whole, then closed
#   cut-close    listings cut in half, without a length, then closed
#   endless      listings that never end
#   huge         listings that claim 2 GB and send zeros
#   slow         listings at one byte a second
#   hrefs        listings and multigets name cards outside the address book
#   big          cards whose NOTE is "big" come with a 50 MB note
#   refuse-put   every PUT answered 412
#   part         sync reports with a token come in parts of one change (507)
#   redirect-N   every request answered N to the catcher's origin
import io, sys, threading, time
import xml.etree.ElementTree as ET
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from radicale import config
from radicale.app import Application

D = "{DAV:}"
C = "{urn:ietf:params:xml:ns:carddav}"
ET.register_namespace("d", "DAV:")
ET.register_namespace("c", "urn:ietf:params:xml:ns:carddav")

radicale = Application(config.load([(sys.argv[1], False)]))
port, catcher_port = int(sys.argv[2]), int(sys.argv[3])
state = {"mode": "none", "log": [], "parts": {}}
lock = threading.Lock()


def call_radicale(handler, body):
    environ = {
        "REQUEST_METHOD": handler.command,
        "PATH_INFO": handler.path.split("?")[0],
        "QUERY_STRING": "",
        "SCRIPT_NAME": "",
        "SERVER_NAME": "127.0.0.1",
        "SERVER_PORT": str(port),
        "SERVER_PROTOCOL": "HTTP/1.1",
        "REMOTE_ADDR": "127.0.0.1",
        "CONTENT_LENGTH": str(len(body)),
        "CONTENT_TYPE": handler.headers.get("Content-Type", ""),
        "wsgi.input": io.BytesIO(body),
        "wsgi.errors": sys.stderr,
        "wsgi.url_scheme": "http",
    }
    for name, value in handler.headers.items():
        key = "HTTP_" + name.upper().replace("-", "_")
        # Plain answers, so that they can be turned.
        if key not in ("HTTP_CONTENT_LENGTH", "HTTP_CONTENT_TYPE", "HTTP_ACCEPT_ENCODING"):
            environ[key] = value
    answer = {}

    def start_response(status, headers):
        answer["status"] = int(status.split()[0])
        answer["headers"] = headers

    data = b"".join(radicale(environ, start_response))
    return answer["status"], answer["headers"], data


def is_listing(handler, body):
    depth = handler.headers.get("Depth", "0")
    return (handler.command == "PROPFIND" and depth == "1") or (
        handler.command == "REPORT" and b"sync-collection" in body)


def injected(book):
    outside = ["/other/evil.vcf", book + "../victim/v.vcf",
               "http://127.0.0.1:%d%sevil.vcf" % (catcher_port, book)]
    return outside


def add_outside(data, book, with_cards):
    root = ET.fromstring(data)
    for href in injected(book):
        response = ET.SubElement(root, D + "response")
        ET.SubElement(response, D + "href").text = href
        propstat = ET.SubElement(response, D + "propstat")
        prop = ET.SubElement(propstat, D + "prop")
        ET.SubElement(prop, D + "getetag").text = '"evil"'
        if with_cards:
            ET.SubElement(prop, C + "address-data").text = (
                "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:evil\r\nFN:Evil Card\r\nN:Card;Evil;;;\r\n"
                "END:VCARD\r\n")
        ET.SubElement(propstat, D + "status").text = "HTTP/1.1 200 OK"
    return ET.tostring(root)


def make_big(data):
    root = ET.fromstring(data)
    for element in root.iter(C + "address-data"):
        if element.text and "NOTE:big" in element.text:
            element.text = element.text.replace("NOTE:big", "NOTE:" + "x" * (50 << 20))
    return ET.tostring(root)


def first_part(data, book):
    """The first change of a report, the rest kept for the part's token."""
    root = ET.fromstring(data)
    responses = root.findall(D + "response")
    if len(responses) < 2:
        return data
    with lock:
        part = "http://127.0.0.1/part/%d" % len(state["log"])
        state["parts"][part] = (responses[1:], root.find(D + "sync-token").text)
    for response in responses[1:]:
        root.remove(response)
    cut = ET.SubElement(root, D + "response")
    ET.SubElement(cut, D + "href").text = book
    ET.SubElement(cut, D + "status").text = "HTTP/1.1 507 Insufficient Storage"
    root.find(D + "sync-token").text = part
    return ET.tostring(root)


def next_part(token):
    with lock:
        rest, last = state["parts"].pop(token)
    root = ET.Element(D + "multistatus")
    root.extend(rest)
    ET.SubElement(root, D + "sync-token").text = last
    return ET.tostring(root)


class Front(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def note(self, origin):
        with lock:
            state["log"].append("%s %s %s %d" % (origin, self.command, self.path,
                                                 int("Authorization" in self.headers)))

    def send_body(self, status, headers, data, length=None):
        self.send_response(status)
        for name, value in headers:
            if name.lower() not in ("content-length", "connection"):
                self.send_header(name, value)
        if length is not None:
            self.send_header("Content-Length", str(length))
        else:
            self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(data)

    def stream(self, status, headers, first, more, length=None, pause=0.0):
        self.send_body(status, headers, first, length)
        try:
            for chunk in more:
                self.wfile.write(chunk)
                self.wfile.flush()
                if pause:
                    time.sleep(pause)
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True

    def handle_any(self):
        body = self.rfile.read(int(self.headers.get("Content-Length") or 0))
        if self.server.server_port == catcher_port:
            self.note("catcher")
            self.send_body(404, [], b"", 0)
            return
        if self.path.startswith("/hostile/"):
            return self.control()
        self.note("front")
        mode = state["mode"]
        if mode.startswith("redirect-"):
            target = "http://127.0.0.1:%d%s" % (catcher_port, self.path)
            return self.send_body(int(mode[9:]), [("Location", target)], b"", 0)
        if mode == "refuse-put" and self.command == "PUT":
            return self.send_body(412, [], b"", 0)
        token = b""
        if self.command == "REPORT" and b"sync-collection" in body:
            token = (ET.fromstring(body).findtext(D + "sync-token") or "").encode()
        if mode == "part" and token.decode() in state["parts"]:
            data = next_part(token.decode())
            return self.send_body(207, [("Content-Type", "text/xml")], data, len(data))
        status, headers, data = call_radicale(self, body)
        listing = status == 207 and is_listing(self, body)
        if listing and mode == "cut-length":
            return self.stream(status, headers, data[:len(data) // 2], [], len(data))
        if listing and mode == "cut-close":
            return self.stream(status, headers, data[:len(data) // 2], [])
        if listing and mode == "endless":
            chunk = b"<d:response><d:href>/x</d:href></d:response>" * 1000
            return self.stream(status, headers, data[:60], iter(lambda: chunk, None))
        if listing and mode == "huge":
            zeros = b"\0" * (1 << 20)
            return self.stream(status, headers, b"", (zeros for _ in range(2048)), 2048 << 20)
        if listing and mode == "slow":
            return self.stream(status, headers, data[:1], (bytes([b]) for b in data[1:]),
                               len(data), pause=1.0)
        if status == 207 and mode == "hrefs":
            if listing:
                data = add_outside(data, self.path, False)
            elif b"addressbook-multiget" in body:
                data = add_outside(data, self.path, True)
        if status == 207 and mode == "big" and b"addressbook-multiget" in body:
            data = make_big(data)
        if status == 207 and mode == "part" and token:
            data = first_part(data, self.path)
        self.send_body(status, headers, data, len(data))

    def control(self):
        if self.command == "POST":
            state["mode"] = self.path[len("/hostile/"):]
            return self.send_body(200, [], b"", 0)
        with lock:
            log = "\n".join(state["log"]).encode()
        self.send_body(200, [("Content-Type", "text/plain")], log, len(log))

    do_GET = do_PUT = do_PROPFIND = do_REPORT = do_DELETE = do_MKCOL = do_POST = handle_any
    do_OPTIONS = handle_any


for listen in (catcher_port, port):
    server = ThreadingHTTPServer(("127.0.0.1", listen), Front)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
print("ready", flush=True)
threading.Event().wait()
