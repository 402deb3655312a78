# Radicale as other servers answer a sync-collection report (RFC 6578):
#   python3 radicale_sync_report.py CONFIG refuse|cut
# "refuse" answers it as a server without the report does (RFC 3253 3.6):
# 403 with DAV:supported-report. "cut" answers a report without a token with
# half of the cards and 507 for the address book, a listing cut short
# (RFC 6578 3.6). Every other request is Radicale's own.
import io, sys
import xml.etree.ElementTree as ET
from radicale import config, server
from radicale.app import Application

report = Application.do_REPORT
mode = sys.argv[2]

def do_REPORT(self, environ, base_prefix, path, user):
    body = environ["wsgi.input"].read(int(environ.get("CONTENT_LENGTH") or 0))
    environ["wsgi.input"] = io.BytesIO(body)
    if b"sync-collection" not in body:
        return report(self, environ, base_prefix, path, user)
    if mode == "refuse":
        return (403, {"Content-Type": "text/xml"},
                b'<?xml version="1.0"?><error xmlns="DAV:"><supported-report/></error>')
    status, headers, answer = report(self, environ, base_prefix, path, user)
    if b"<sync-token></sync-token>" not in body.replace(b"d:", b"") or status != 207:
        return status, headers, answer
    root = ET.fromstring(answer)
    responses = root.findall("{DAV:}response")
    for response in responses[len(responses) // 2:]:
        root.remove(response)
    cut = ET.SubElement(root, "{DAV:}response")
    ET.SubElement(cut, "{DAV:}href").text = base_prefix + path
    ET.SubElement(cut, "{DAV:}status").text = "HTTP/1.1 507 Insufficient Storage"
    return status, headers, ET.tostring(root)

Application.do_REPORT = do_REPORT
server.serve(config.load([(sys.argv[1], False)]))
