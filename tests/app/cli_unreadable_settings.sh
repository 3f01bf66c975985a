#!/usr/bin/env bash
# A settings file that exists but cannot be read (mode 0200, the program run as its owner
# "nobody") is reported at start-up and left exactly as it was: its ports and language survive.
# Usage: cli_unreadable_settings.sh <tovrik-assistant executable> <source folder>
set -euo pipefail
exe=$1
. "$2/packaging/self-check-lib.sh"
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
    echo "needs root and setpriv to run the program as another user"; exit 0
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"
data=$tmp/data
mkdir -p "$data/runtime"
chmod 700 "$data/runtime"
settings=$data/tovrik-assistant.ini
printf '[config]\r\nlanguage=spanish\r\n[ports]\r\n7=/dev/ttyUSB3\r\n' > "$settings"
chown -R nobody "$data"
chmod 0200 "$settings"
before=$(sha256sum "$settings")
report=$(env QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$data/runtime HOME=$data \
         setpriv --reuid=nobody --regid=nogroup --clear-groups "$exe" --data-folder "$data" --self-check 2>&1) && rc=0 || rc=$?
echo "$report"
[ "$rc" -eq 1 ] || fail "--self-check exited $rc, expected 1 after the error box"
expect_value "$report" start-up-messages 1
echo "$report" | grep -q "^message: .*$settings.*cannot be read" || fail "no box names the unreadable file"
[ "$(sha256sum "$settings")" = "$before" ] || fail "the unreadable settings file was rewritten"
echo "ok"
