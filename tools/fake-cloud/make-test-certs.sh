#!/bin/sh
# Makes the certificates of the local fake cloud service: a test authority, a server
# certificate it signed for the two test host names, and a self-signed certificate
# for the same names that nothing trusts. Two more authorities with a server
# certificate each ("system-" and "other-") stand for a public root and for one that
# nobody configured.
set -eu
out="$1"
mkdir -p "$out"
cd "$out"
names="subjectAltName=DNS:localhost,IP:127.0.0.1"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 3650 \
    -subj "/CN=Ravelo Test Authority" 2>/dev/null
printf '%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$names" > server.ext
# serve AUTHORITY PREFIX: a server certificate and key signed by AUTHORITY.pem
serve() {
    openssl req -newkey rsa:2048 -nodes -keyout "$2server.key" -out server.csr -subj "/CN=localhost" 2>/dev/null
    openssl x509 -req -in server.csr -CA "$1.pem" -CAkey "$1.key" -CAcreateserial -out "$2server.pem" \
        -days 3650 -extfile server.ext 2>/dev/null
}
serve ca ""
for authority in system other; do
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$authority-ca.key" -out "$authority-ca.pem" -days 3650 \
        -subj "/CN=Ravelo Test $authority Authority" 2>/dev/null
    serve "$authority-ca" "$authority-"
done
openssl req -x509 -newkey rsa:2048 -nodes -keyout untrusted.key -out untrusted.pem -days 3650 \
    -subj "/CN=localhost" -addext "$names" 2>/dev/null
rm -f server.csr server.ext ./*.srl
