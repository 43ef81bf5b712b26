#!/usr/bin/env bash
# Builds the Debian package of a build tree, checks what it holds and how it
# describes itself, unpacks it into a temporary root and runs tovrik-cli from
# there. Runs lintian on it when lintian is installed and the tree is not
# built with sanitizers (their run-time is no part of a package users get).
#   package_test.sh BUILD_DIR VERSION GUI(ON/OFF) [SANITIZERS]
set -euo pipefail
build=$1 version=$2 gui=$3 sanitize=${4:-}

if ! command -v dpkg-deb >/dev/null; then
  echo "SKIPPED: dpkg-deb is missing, so no Debian package can be built or unpacked"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log" >&2
  fail "cpack -G DEB did not make a package"
}
deb="$work/tovrik_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(ls "$work")"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
expected=(/usr/bin/tovrik-cli /usr/bin/qarn-sim
  /usr/share/man/man1/tovrik-cli.1.gz /usr/share/man/man1/qarn-sim.1.gz
  /usr/share/doc/tovrik/copyright /usr/share/doc/tovrik/changelog.gz
  /usr/share/bash-completion/completions/tovrik-cli)
if [ "$gui" = ON ]; then
  expected+=(/usr/bin/tovrik /usr/share/man/man1/tovrik.1.gz
    /usr/share/applications/tovrik.desktop /usr/share/mime/packages/tovrik.xml
    /usr/share/icons/hicolor/scalable/apps/tovrik.svg /usr/share/icons/hicolor/48x48/apps/tovrik.png)
fi
for path in "${expected[@]}"; do
  grep -qx "$path" "$work/contents" || fail "the package lacks $path"
done
echo "The package holds $(grep -vc '/$' "$work/contents") files:"
grep -v '/$' "$work/contents"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tovrik ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version)"
[ "$(field Section)" = comm ] || fail "section $(field Section)"
depends=$(field Depends)
for lib in libc6 libstdc++6 libqt6core6; do
  [[ "$depends" == *"$lib "* ]] || fail "Depends, computed by dpkg-shlibdeps, lacks $lib: $depends"
done
if [ "$gui" = ON ]; then
  [[ "$depends" == *"libqt6widgets6 "* ]] || fail "Depends lacks libqt6widgets6: $depends"
fi
[ -n "$(field Description | sed -n 2p)" ] || fail "no long description"
[ -z "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'postinst|prerm|postrm|preinst')" ] ||
  fail "maintainer scripts: the system's triggers update the databases"
echo "Depends: $depends"

dpkg-deb -x "$deb" "$work/root"
cli="$work/root/usr/bin/tovrik-cli"
[ "$("$cli" --version)" = "tovrik-cli $version" ] || fail "unpacked tovrik-cli --version: $("$cli" --version)"
echo "Unpacked tovrik-cli ports:"
"$cli" ports || fail "unpacked tovrik-cli ports exited with $?"
"$cli" ports --json | grep -q '^\[' || fail "unpacked tovrik-cli ports --json printed no list"
"$work/root/usr/bin/qarn-sim" --help | grep -q '^Usage: qarn-sim' || fail "unpacked qarn-sim --help"
completion="$work/root/usr/share/bash-completion/completions/tovrik-cli"
offered=$(bash -c 'source "$1"; COMP_WORDS=(tovrik-cli ""); COMP_CWORD=1; _tovrik_cli
  echo "${COMPREPLY[*]}"' _ "$completion")
[[ " $offered " == *" compare "* ]] || fail "the unpacked completion offers: $offered"
if [ "$gui" = ON ]; then
  [ "$("$work/root/usr/bin/tovrik" --version)" = "Tovrik $version" ] || fail "unpacked tovrik --version"
fi

if [ -n "$sanitize" ]; then
  echo "built with $sanitize sanitizers: the package was not linted"
elif command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || {
    cat "$work/lintian.log" >&2
    fail "lintian reports errors"
  }
  echo "lintian: no errors ($(wc -l <"$work/lintian.log") other tags)"
  cat "$work/lintian.log"
else
  echo "lintian is not installed: the package was not linted"
fi
echo "PASSED"
