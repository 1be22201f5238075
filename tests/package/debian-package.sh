#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Makes the .deb with cpack, checks what it holds, unpacks it into a throwaway root and runs
# programs from there, and lets lintian judge it.
#   debian-package.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/out/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#' >"$work/contents"

expected=(/usr/bin/quillon /usr/bin/quillon-reg /usr/bin/quillon-prefix /usr/bin/velpack
  /usr/libexec/quillon/regedit /usr/libexec/quillon/regsvr32
  /usr/lib/quillon/Velpack.so /usr/lib/quillon/Gorsla.so /usr/lib/quillon/Gorslb.so /usr/lib/quillon/Gorsld.so
  /usr/lib/quillon/libquillon-forms-qt-plugin.so /usr/lib/quillon/libquillon-gorsld-internet.so
  /usr/include/velpack/Velpack.h /usr/lib/cmake/Velpack/VelpackConfig.cmake /usr/lib/pkgconfig/velpack.pc
  /usr/share/man/man1/quillon.1.gz /usr/share/man/man1/velpack.1.gz
  /usr/share/bash-completion/completions/velpack /usr/share/applications/quillon.desktop
  /usr/share/icons/hicolor/scalable/apps/quillon.svg /lib/systemd/system/quillon-boot.service
  /usr/share/doc/quillon/copyright)
[ -e "$build/bin/quillon-script" ] && expected+=(/usr/bin/quillon-script)
for path in "${expected[@]}"; do
  grep -qx "$path" "$work/contents" || grep -qx "/usr${path}" "$work/contents" || fail "the package lacks $path"
done
# Nothing with a generic name lands in the shared library folder, and no stand-in in bin.
if grep -E '^/usr/lib/[^/]+\.so' "$work/contents"; then fail "libraries directly in /usr/lib"; fi
if grep -E '^/usr/bin/(regedit|regsvr32)$' "$work/contents"; then fail "stand-ins in /usr/bin"; fi

dpkg-deb -x "$deb" "$work/root"
QUILLON_PREFIX="$work/prefix" QUILLON_UI=console "$work/root/usr/bin/quillon-prefix" init >/dev/null \
  || fail "quillon-prefix init from the unpacked package"
"$work/root/usr/bin/velpack" --version | grep -q '^velpack (Quillon) ' || fail "velpack --version"
# Qt and libcurl come with their plugins, loaded on use: the wizard starts without them.
started=$(LD_DEBUG=libs "$work/root/usr/bin/quillon" --version 2>&1 >/dev/null | sed -n 's/.*calling init: //p')
grep -E 'libQt6|libcurl' <<<"$started" && fail "quillon loads Qt or libcurl when it starts"
readelf -d "$work/root/usr/lib/quillon/Gorsld.so" | grep -q 'libcurl' && fail "Gorsld.so needs libcurl itself"

lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" >"$work/lintian.log" 2>&1 \
  || { cat "$work/lintian.log" >&2; fail "lintian reports errors"; }
grep -E '^E: ' "$work/lintian.log" && fail "lintian reports errors"
echo "debian package: contents, unpacked run and lintian are fine"
