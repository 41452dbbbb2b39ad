# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts under /usr - the layout of the Debian package: both programs, the
# udev rule where udev reads packaged rules, the desktop entry and its icons, the AppStream
# file, gzip'ed man pages that cover every option and command (and no command the program
# lacks), the shells' completion scripts as the program makes them, the copyright file, the
# changelog and the user guide with its pictures; one version number in the programs, the
# AppStream file and the changelog.
# Arguments: cmake, the build folder, the project version, the source folder, a work folder.
set -u
CMAKE="$1"
BUILD="$2"
VERSION="$3"
SOURCE="$4"
WORK="$5"
rm -rf "$WORK"
mkdir -p "$WORK"
R="$WORK/root"

fail() { echo "FAIL: $*" >&2; exit 1; }
# The programs' texts in English (Chinese locales give Chinese).
export LC_ALL=C.UTF-8 LANG=C.UTF-8

DESTDIR="$R" "$CMAKE" --install "$BUILD" --prefix /usr >"$WORK/install.txt" 2>&1 ||
  { cat "$WORK/install.txt" >&2; fail "cmake --install failed"; }

SIZES="16 24 32 48 64 128 256"
expected="usr/bin/mirelune usr/bin/mirelune-cli usr/libexec/mirelune/libmirelune-cli.so
usr/libexec/mirelune/libmirelune-cli-values.so
usr/libexec/mirelune/mirelune-plot usr/libexec/mirelune/mirelune-measure
usr/libexec/mirelune/mirelune-serve usr/libexec/mirelune/mirelune-room
usr/lib/udev/rules.d/70-mirelune-amplifier.rules
usr/share/applications/mirelune.desktop
usr/share/metainfo/mirelune.metainfo.xml
usr/share/man/man1/mirelune.1.gz usr/share/man/man1/mirelune-cli.1.gz
usr/share/doc/mirelune/copyright usr/share/doc/mirelune/changelog.Debian.gz
usr/share/bash-completion/completions/mirelune-cli
usr/share/zsh/vendor-completions/_mirelune-cli
usr/share/fish/vendor_completions.d/mirelune-cli.fish"
for s in $SIZES; do expected="$expected usr/share/icons/hicolor/${s}x${s}/apps/mirelune.png"; done
# The user guide in both languages and every picture of docs/images.
expected="$expected usr/share/doc/mirelune/guide.en.md usr/share/doc/mirelune/guide.zh.md"
for f in "$SOURCE"/docs/images/*.png; do expected="$expected usr/share/doc/mirelune/images/${f##*/}"; done
# A venue's broker: its documented configuration and access list.
expected="$expected usr/share/doc/mirelune/mqtt/mosquitto.conf usr/share/doc/mirelune/mqtt/mirelune.acl"
# shellcheck disable=SC2086
for f in $expected; do [ -f "$R/$f" ] || fail "$f is not installed"; done
# Nothing else: a stray file in the package is a file nobody looks after.
found=$(cd "$R" && find . -type f | sed 's|^\./||' | sort)
wanted=$(echo $expected | tr ' ' '\n' | sort)
[ "$found" = "$wanted" ] || fail "installed files differ from the list: $(diff <(echo "$wanted") <(echo "$found"))"

for p in mirelune mirelune-cli; do [ -x "$R/usr/bin/$p" ] || fail "$p is not executable"; done
# The command-line tool loads only what its common commands need: --version not even Qt, get
# and set of the virtual amplifier no Qt (the library beside the tool that runs them), a
# command on the amplifier no Qt Gui, Network, WebSockets, mosquitto (nor the OpenSSL it
# brings) or FFTW. The helpers that hold those are where the tool looks for them, and the
# commands that need them run there. What a run loads is what the dynamic loader reports
# loading (LD_DEBUG=files), the libraries the tool opens itself included.
loaded() { LD_DEBUG=files HOME="$WORK" XDG_RUNTIME_DIR="$WORK" "$R/usr/bin/mirelune-cli" "$@" 2>&1 >/dev/null |
             sed -n 's/.*file=\([^ ]*\) \[0\];  generating link map.*/\1/p'; }
heavy='libQt6Gui\|libQt6Widgets\|libQt6Network\|libQt6HttpServer\|libQt6WebSockets\|libmosquitto\|libssl\|libcrypto\|libfftw3'
loaded --version >"$WORK/version-libs.txt"
grep -v '^libc\.so' "$WORK/version-libs.txt" | grep -q . &&
  fail "mirelune-cli --version loads more than the C library: $(tr '\n' ' ' <"$WORK/version-libs.txt")"
for cmd in "get 1028" "set 1028=70"; do
  # shellcheck disable=SC2086
  loaded --device virtual $cmd >"$WORK/values-libs.txt"
  grep -q 'libmirelune-cli-values' "$WORK/values-libs.txt" ||
    fail "$cmd did not run without Qt: $(tr '\n' ' ' <"$WORK/values-libs.txt")"
  grep -q 'libQt6\|libmirelune-cli\.so\|libhidapi\|libudev' "$WORK/values-libs.txt" &&
    fail "mirelune-cli --device virtual $cmd loads more than it needs: $(tr '\n' ' ' <"$WORK/values-libs.txt")"
done
# A command the library without Qt hands on (another command, a real amplifier) runs in the
# tool, which loads Qt Core and nothing heavier.
for cmd in "--device virtual info" "--device hid get 1028"; do
  # shellcheck disable=SC2086
  loaded $cmd >"$WORK/get-libs.txt"
  grep -q 'libQt6Core' "$WORK/get-libs.txt" || fail "$cmd did not run in the tool: $(cat "$WORK/get-libs.txt")"
  grep "$heavy" "$WORK/get-libs.txt" && fail "mirelune-cli $cmd loads the libraries above"
done
for p in mirelune-serve mirelune-room; do
  [ -x "$R/usr/libexec/mirelune/$p" ] || fail "$p is not executable"
done
# fleet and eq fit run in their helpers (port 1 refuses at once; the room file is missing).
loaded fleet --broker mqtt://127.0.0.1:1 list >"$WORK/fleet-libs.txt"
grep -q libmosquitto "$WORK/fleet-libs.txt" || fail "fleet did not run in mirelune-serve"
HOME="$WORK" "$R/usr/bin/mirelune-cli" eq fit "$WORK/none.txt" --into "$WORK/d.sp" -o "$WORK/o.sp" 2>"$WORK/fit.txt"
[ $? = 1 ] && grep -q none.txt "$WORK/fit.txt" || fail "installed eq fit: $(cat "$WORK/fit.txt")"
"$R/usr/bin/mirelune-cli" defaults -o "$WORK/d.sp" || fail "installed defaults"
"$R/usr/bin/mirelune-cli" plot "$WORK/d.sp" --page 0 -o "$WORK/p.png" 2>/dev/null || fail "installed plot"
[ "$(head -c 4 "$WORK/p.png" | od -An -c | tr -d ' ')" = "211PNG" ] || fail "installed plot wrote no PNG"
cmp -s "$SOURCE/scripts/70-mirelune-amplifier.rules" "$R/usr/lib/udev/rules.d/70-mirelune-amplifier.rules" ||
  fail "the installed udev rule is not the one in scripts/"

# One version.
[ "$("$R/usr/bin/mirelune-cli" --version)" = "mirelune-cli $VERSION" ] || fail "installed mirelune-cli --version"
[ "$("$R/usr/bin/mirelune" --version)" = "mirelune $VERSION" ] || fail "installed mirelune --version"
grep -q "<release version=\"$VERSION\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" \
  "$R/usr/share/metainfo/mirelune.metainfo.xml" || fail "the AppStream release is not $VERSION"
gzip -dc "$R/usr/share/doc/mirelune/changelog.Debian.gz" | head -1 |
  grep -q "^mirelune ($VERSION-[0-9][0-9]*) unstable; urgency=medium$" || fail "changelog version"
gzip -dc "$R/usr/share/doc/mirelune/changelog.Debian.gz" |
  grep -q '^ -- .* <.*@.*>  [A-Z][a-z][a-z], [0-9][0-9] [A-Z][a-z][a-z] [0-9]\{4\} [0-9:]\{8\} +0000$' ||
  fail "changelog trailer: $(gzip -dc "$R/usr/share/doc/mirelune/changelog.Debian.gz" | tail -1)"

# gzip -9n: no file name and no time stamp in the header (byte 3 flags, bytes 4-7 the time).
gz_header_clean() { [ "$(od -An -tx1 -j3 -N5 "$1" | tr -d ' \n')" = "0000000000" ]; }
for f in usr/share/man/man1/mirelune.1.gz usr/share/man/man1/mirelune-cli.1.gz \
         usr/share/doc/mirelune/changelog.Debian.gz; do
  gzip -t "$R/$f" || fail "$f is not gzip"
  gz_header_clean "$R/$f" || fail "$f carries a name or a time stamp"
done

# The man pages tell every option of the programs' --help and, for the CLI, every command.
for p in mirelune mirelune-cli; do
  page=$(gzip -dc "$R/usr/share/man/man1/$p.1.gz")
  echo "$page" | head -1 | grep -q "^\.TH .* \"mirelune $VERSION\" " ||
    fail "$p.1: title line $(echo "$page" | head -1)"
  for opt in $("$R/usr/bin/$p" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    echo "$page" | grep -qF -- "$(echo "$opt" | sed 's/-/\\-/g')" || fail "$p.1 lacks $opt"
  done
  echo "$page" | grep -q '^@\|@[A-Z]*@' && fail "$p.1 has an unreplaced placeholder"
done
cli_page=$(gzip -dc "$R/usr/share/man/man1/mirelune-cli.1.gz")
commands=$("$R/usr/bin/mirelune-cli" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || fail "no command list in mirelune-cli --help"
for c in $commands; do
  echo "$cli_page" | grep -qx "\.SS $(echo "$c" | sed 's/-/\\\\-/g')" || fail "mirelune-cli.1 lacks the command $c"
done
# ... and no other: the page and --help list the same commands.
page_commands=$(echo "$cli_page" | sed -n 's/^\.SS //p' | sed 's/\\-/-/g' | sort)
[ "$page_commands" = "$(echo "$commands" | sort)" ] ||
  fail "mirelune-cli.1 and --help list different commands: $(diff <(echo "$page_commands") <(echo "$commands" | sort))"

# The completion scripts are what the installed program makes from its command table, and
# the bash one completes the commands --help lists.
for s in "bash usr/share/bash-completion/completions/mirelune-cli" \
         "zsh usr/share/zsh/vendor-completions/_mirelune-cli" \
         "fish usr/share/fish/vendor_completions.d/mirelune-cli.fish"; do
  set -- $s
  "$R/usr/bin/mirelune-cli" completion "$1" | cmp -s - "$R/$2" || fail "$2 is not 'mirelune-cli completion $1'"
done
bash -n "$R/usr/share/bash-completion/completions/mirelune-cli" || fail "the bash completion does not parse"
bash_commands=$(sed -n "s/^_mirelune_cli_commands='\(.*\)'$/\1/p" "$R/usr/share/bash-completion/completions/mirelune-cli" | tr ' ' '\n' | sort)
[ "$bash_commands" = "$(echo "$commands" | sort)" ] || fail "the bash completion completes other commands than --help lists"

# The desktop entry starts an installed program and names an installed icon.
desktop="$R/usr/share/applications/mirelune.desktop"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$R/usr/bin/$exec_program" ] || fail "Exec=$exec_program is not installed"
grep -qx 'Exec=mirelune --device hid' "$desktop" || fail "the entry does not start the console on the USB amplifier"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$R/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "Icon=$icon is not installed"
grep -q "<launchable type=\"desktop-id\">mirelune.desktop</launchable>" \
  "$R/usr/share/metainfo/mirelune.metainfo.xml" || fail "the AppStream file does not launch the entry"
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
  echo "desktop-file-validate not installed: the entry's syntax is checked by scripts/package.sh"
fi

# Each icon is a PNG of the size its folder names.
for s in $SIZES; do
  f="$R/usr/share/icons/hicolor/${s}x${s}/apps/mirelune.png"
  [ "$(od -An -tx1 -N8 "$f" | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$f is not a PNG"
  dims=$(od -An -tx1 -j16 -N8 "$f" | tr -d ' \n')
  [ "$((16#${dims:0:8}))x$((16#${dims:8:8}))" = "${s}x${s}" ] || fail "$f is $((16#${dims:0:8}))x$((16#${dims:8:8}))"
done

# The maintainer scripts are shell scripts that parse.
for s in postinst postrm; do sh -n "$SOURCE/packaging/$s" || fail "packaging/$s does not parse"; done

# A helper that is missing is said with where it was looked for, exit 1. (Last: this changes
# the installed tree.)
rm "$R/usr/libexec/mirelune/mirelune-serve"
HOME="$WORK" "$R/usr/bin/mirelune-cli" fleet --broker mqtt://127.0.0.1:1 list >"$WORK/out.txt" 2>"$WORK/err.txt"
rc=$?
[ $rc = 1 ] || fail "fleet without its helper exited $rc: $(cat "$WORK/err.txt")"
grep -qF "usr/libexec/mirelune/mirelune-serve" "$WORK/err.txt" || fail "the missing helper's path is not named: $(cat "$WORK/err.txt")"
rm "$R/usr/libexec/mirelune/libmirelune-cli.so"
HOME="$WORK" "$R/usr/bin/mirelune-cli" --version >"$WORK/out.txt" || fail "--version needs the tool's library"
HOME="$WORK" "$R/usr/bin/mirelune-cli" info 2>"$WORK/err.txt"
rc=$?
[ $rc = 1 ] || fail "info without the tool's library exited $rc"
grep -qF "usr/libexec/mirelune/libmirelune-cli.so" "$WORK/err.txt" || fail "the missing library is not named: $(cat "$WORK/err.txt")"

echo "install layout: all checks passed"
