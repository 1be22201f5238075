#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the build tree into a throwaway prefix, asks every installed program for --help and
# --version, and builds a program outside the project
# against it, once through find_package(Velpack) and once through pkg-config; both must
# create a ZIPFile through the registry of a fresh prefix and list an archive with it.
#   outside-program.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/install" >/dev/null
# Every installed program answers --help and --version on standard output with status 0.
for program in "$work"/install/bin/* "$work"/install/libexec/quillon/*; do
  for option in --help --version; do
    out=$(QUILLON_UI=console "$program" "$option" </dev/null) || fail "$(basename "$program") $option exits non-zero"
    [ -n "$out" ] || fail "$(basename "$program") $option prints nothing"
  done
done
mkdir "$work/files" && echo hello >"$work/files/a.txt" && (cd "$work/files" && zip -q ../t.zip a.txt)
export QUILLON_PREFIX=$work/prefix QUILLON_UI=console
"$work/install/bin/quillon-prefix" init >/dev/null || fail "quillon-prefix init from the installed tree"

cmake -S "$source/outside" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$work/install" >/dev/null \
  || fail "find_package(Velpack) against the installed tree"
cmake --build "$work/cmake-build" >/dev/null || fail "building against Velpack::Velpack"
out=$("$work/cmake-build/outside" "$work/t.zip") || fail "the find_package program failed"
[[ "$out" == *a.txt ]] || fail "the find_package program listed '$out'"

flags=$(PKG_CONFIG_PATH="$work/install/lib/pkgconfig" pkg-config --cflags --libs velpack) || fail "pkg-config velpack"
c++ -o "$work/outside-pc" "$source/outside/main.cpp" $flags || fail "building with pkg-config's flags ($flags)"
out=$("$work/outside-pc" "$work/t.zip") || fail "the pkg-config program failed"
[[ "$out" == *a.txt ]] || fail "the pkg-config program listed '$out'"
echo "outside program: find_package and pkg-config both work"
