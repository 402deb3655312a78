# An HTTPS server whose certificate nobody signed, made at start in FOLDER:
#   python3 untrusted_server.py PORT FOLDER
import http.server, ssl, subprocess, sys
port, folder = int(sys.argv[1]), sys.argv[2]
cert, key = folder + '/cert.pem', folder + '/key.pem'
subprocess.run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-subj', '/CN=127.0.0.1',
                '-days', '2', '-keyout', key, '-out', cert], check=True, capture_output=True)
server = http.server.HTTPServer(('127.0.0.1', port), http.server.BaseHTTPRequestHandler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(cert, key)
server.socket = context.wrap_socket(server.socket, server_side=True)
server.serve_forever()
