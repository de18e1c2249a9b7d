#!/usr/bin/env bash
# Makes the certificates the TLS tests and the benchmark serve the simulated
# site with, in tests/data/tls. Run once; the files are committed and last a
# century, except the one that is meant to have expired.
#
#   ca.pem           the tests' own authority (its key is thrown away)
#   server.key       the key of every server certificate below
#   site.pem         *.test.invalid, *.bench.invalid, localhost, 127.0.0.1; by the authority
#   other-host.pem   other.invalid only; by the authority
#   self-signed.pem  the names of site.pem, signed by its own key
#   expired.pem      the names of site.pem, by the authority, valid in 2000 only
set -euo pipefail
cd "$(dirname "$0")/../tests/data/tls"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

names="DNS:*.test.invalid,DNS:*.bench.invalid,DNS:localhost,IP:127.0.0.1"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }

key "$work/ca.key"
openssl req -x509 -new -key "$work/ca.key" -subj "/CN=Vorpaline test authority" -days 36500 \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -out ca.pem
key server.key

# One certificate by the authority: subject name, alternative names, then the
# dates as "openssl ca" takes them.
signed() {
    local out=$1 cn=$2 alt=$3
    shift 3
    openssl req -new -key server.key -subj "/CN=$cn" -out "$work/req.pem"
    mkdir -p "$work/db" && : >"$work/db/index" && echo 01 >"$work/db/serial"
    cat >"$work/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
database = $work/db/index
serial = $work/db/serial
new_certs_dir = $work/db
default_md = sha256
policy = any
copy_extensions = none
[any]
commonName = supplied
[server]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = $alt
CNF
    openssl ca -batch -config "$work/ca.cnf" -cert ca.pem -keyfile "$work/ca.key" \
        -extensions server -notext -in "$work/req.pem" -out "$out" "$@" 2>/dev/null
}

signed site.pem "test site" "$names" -days 36500
signed other-host.pem "other host" "DNS:other.invalid" -days 36500
signed expired.pem "test site, expired" "$names" -startdate 20000101000000Z -enddate 20010101000000Z
openssl req -x509 -new -key server.key -subj "/CN=test site, self-signed" -days 36500 \
    -addext "subjectAltName=$names" -out self-signed.pem
