# A server that answers every request with 500: python3 failing_server.py PORT
import http.server, sys
class Handler(http.server.BaseHTTPRequestHandler):
    def answer(self):
        self.send_response(500)
        self.send_header('Content-Length', '0')
        self.end_headers()
    do_GET = do_PUT = do_PROPFIND = do_REPORT = do_DELETE = do_MKCOL = answer
    def log_message(self, *args):
        pass
http.server.HTTPServer(('127.0.0.1', int(sys.argv[1])), Handler).serve_forever()
