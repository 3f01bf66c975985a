#!/usr/bin/env bash
# `cmake --install` puts every file where an installed program looks for it, and the installed
# program, run from there, keeps its files in the user's folders and finds its shipped languages.
# Usage: install_layout.sh <build folder> <source folder>
set -euo pipefail
build=$1
source=$2
. "$source/packaging/self-check-lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix

"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install failed"; }
expected=$(
    {
        echo bin/tovrik-assistant
        echo bin/tovrik-cli
        echo bin/tovrik-sim
        echo share/applications/tovrik-assistant.desktop
        echo share/icons/hicolor/scalable/apps/tovrik-assistant.svg
        for f in "$source"/locale/*.lng; do echo "share/tovrik-assistant/locale/$(basename "$f")"; done
    } | sort
)
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$installed" = "$expected" ] || fail "installed files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$installed") || true)"
for f in chinese spanish; do
    grep -q '^\[language\]' "$prefix/share/tovrik-assistant/locale/$f.lng" || fail "$f.lng was not installed whole"
done
[ -x "$prefix/bin/tovrik-assistant" ] && [ -x "$prefix/bin/tovrik-cli" ] && [ -x "$prefix/bin/tovrik-sim" ] || fail "the executables are not executable"
grep -q '^Exec=tovrik-assistant$' "$prefix/share/applications/tovrik-assistant.desktop" || fail "the desktop entry does not start tovrik-assistant"
# Checked here when the validator is on the machine; scripts/test-package always checks it.
if command -v desktop-file-validate > /dev/null; then
    out=$(desktop-file-validate "$prefix/share/applications/tovrik-assistant.desktop" 2>&1) || fail "invalid desktop entry: $out"
    if grep -Eq 'error|warning' <<< "$out"; then fail "desktop entry: $out"; fi
fi
"$source/packaging/check-installed-run.sh" "$prefix"
