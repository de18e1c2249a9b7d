#!/usr/bin/env bash
# Makes the certificates the TLS tests and the benchmark serve the simulated
# site with, in tests/data/tls. Run once; the files are committed. They are
# valid from 2000 to 2125, so that a clock set wrong by years still accepts
# them, except the one that is meant to have expired.
#
#   ca.pem           the tests' own authority (its key is thrown away)
#   server.key       the key of every server certificate below
#   site.pem         *.test.invalid, *.bench.invalid, localhost, 127.0.0.1; by the authority
#   other-host.pem   other.invalid only; by the authority
#   name-only.pem    *.test.invalid only, no address: a host reached at another
#                    address is verified by its name; by the authority
#   self-signed.pem  the names of site.pem, signed by its own key
#   expired.pem      the names of site.pem, by the authority, valid in 2000 only
set -euo pipefail
cd "$(dirname "$0")/../tests/data/tls"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

names="DNS:*.test.invalid,DNS:*.bench.invalid,DNS:localhost,IP:127.0.0.1"
long=(-startdate 20000101000000Z -enddate 21251231000000Z)
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }

# One certificate: output, subject name, extensions, signing key, then the
# options of "openssl ca" (the issuer, or -selfsign; the dates).
certificate() {
    local out=$1 cn=$2 extensions=$3 signer=$4
    shift 4
    openssl req -new -key "$signer" -subj "/CN=$cn" -out "$work/req.pem"
    rm -rf "$work/db" && mkdir -p "$work/db" && : >"$work/db/index" && echo 01 >"$work/db/serial"
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
unique_subject = no
[any]
commonName = supplied
[authority]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[server]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = $extensions
CNF
    local section=server
    [ "$extensions" = authority ] && section=authority
    openssl ca -batch -config "$work/ca.cnf" -extensions "$section" -notext \
        -in "$work/req.pem" -out "$out" "$@" 2>/dev/null
}

key "$work/ca.key"
key server.key
certificate ca.pem "Vorpaline test authority" authority "$work/ca.key" \
    -selfsign -keyfile "$work/ca.key" "${long[@]}"
by_authority=(-cert ca.pem -keyfile "$work/ca.key")
certificate site.pem "test site" "$names" server.key "${by_authority[@]}" "${long[@]}"
certificate other-host.pem "other host" "DNS:other.invalid" server.key "${by_authority[@]}" "${long[@]}"
certificate name-only.pem "test site, by name" "DNS:*.test.invalid" server.key "${by_authority[@]}" "${long[@]}"
certificate expired.pem "test site, expired" "$names" server.key "${by_authority[@]}" \
    -startdate 20000101000000Z -enddate 20010101000000Z
certificate self-signed.pem "test site, self-signed" "$names" server.key \
    -selfsign -keyfile server.key "${long[@]}"
