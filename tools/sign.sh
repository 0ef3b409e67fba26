#!/bin/sh
# sign.sh <exe>...: Authenticode-signs each exe in place with osslsigncode, with the key
# that the environment names:
#   SIGN_PKCS12=<file.p12> SIGN_PASSWORD_FILE=<file>         a certificate file
#   SIGN_PKCS11_MODULE=<module.so> SIGN_KEY=<pkcs11: URI>     a hardware token, with
#       SIGN_CERTS=<chain.pem> and, for its PIN, SIGN_PASSWORD_FILE
#   SIGN_TIMESTAMP_URL=<url>                                 an RFC 3161 time-stamp server
# The exes are the build's own paths; the key's paths may hold blanks.
set -eu
exes=$*
set --
if [ -n "${SIGN_PKCS12:-}" ]; then
    set -- -pkcs12 "$SIGN_PKCS12"
elif [ -n "${SIGN_PKCS11_MODULE:-}" ]; then
    set -- -pkcs11module "$SIGN_PKCS11_MODULE" -key "${SIGN_KEY:?SIGN_KEY names the token's key}" \
        -certs "${SIGN_CERTS:?SIGN_CERTS holds the certificate chain}"
else
    echo "sign.sh: set SIGN_PKCS12 or SIGN_PKCS11_MODULE" >&2
    exit 2
fi
[ -z "${SIGN_PASSWORD_FILE:-}" ] || set -- "$@" -readpass "$SIGN_PASSWORD_FILE"
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || set -- "$@" -ts "$SIGN_TIMESTAMP_URL"
for exe in $exes; do
    osslsigncode sign "$@" -h sha256 -n drvplant -in "$exe" -out "$exe.signed" >/dev/null
    mv "$exe.signed" "$exe"
done
