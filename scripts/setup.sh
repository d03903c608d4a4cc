#!/usr/bin/env bash
# Installs what Quillon's build, tests and demo need on a Debian 12 machine, and unpacks
# Debian's TinyXML sources (with Debian's patches) into build/deps. Safe to run again:
# with everything present it only checks and returns.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Both halves of Wine: wine32 runs the i686 build where the kernel runs 32-bit programs,
# wine64 the x86-64 build everywhere (scripts/windows-builds.sh says which runs here).
packages=(g++-mingw-w64-i686-posix mingw-w64-i686-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
          wine wine32:i386 wine64 xvfb x11-utils xauth
          fonts-wqy-microhei fonts-wine imagemagick googletest cmake ninja-build g++ clang
          libclang-rt-14-dev dpkg-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

need_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then need_i386=1; fi

tinyxml_dir=$(ls -d "$root"/build/deps/tinyxml-*/ 2>/dev/null | head -n 1 || true)

if [ ${#missing[@]} -eq 0 ] && [ -n "$tinyxml_dir" ] && [ $need_i386 -eq 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these need installing as root, then run again:" >&2
  [ $need_i386 -eq 1 ] && echo "  dpkg --add-architecture i386 && apt-get update" >&2
  [ ${#missing[@]} -gt 0 ] && echo "  apt-get install ${missing[*]}" >&2
  [ -z "$tinyxml_dir" ] && echo "  deb-src entries for Debian, then: apt-get source tinyxml (into build/deps)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
updated=0
apt_update() { if [ $updated -eq 0 ]; then apt-get update -q >/dev/null; updated=1; fi; }

if [ $need_i386 -eq 1 ]; then
  echo "setup: adding the i386 architecture (for wine32)"
  dpkg --add-architecture i386
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_i386 -eq 1 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ -z "$tinyxml_dir" ]; then
  # Source entries for the same suites as the binary ones, when the machine has none.
  if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "setup: adding deb-src entries for Debian's suites"
    src=/etc/apt/sources.list.d/quillon-deb-src.sources
    : > "$src"
    for f in /etc/apt/sources.list.d/*.sources; do
      [ "$f" = "$src" ] && continue
      grep -q 'debian.org' "$f" || continue
      awk 'BEGIN{RS=""; ORS="\n\n"} /debian\.org/ { sub(/Types: deb/, "Types: deb-src"); print }' "$f" >> "$src"
    done
    if [ -f /etc/apt/sources.list ]; then
      grep -E '^deb .*debian\.org' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/quillon-deb-src.list || true
    fi
    updated=0
  fi
  apt_update
  mkdir -p "$root/build/deps"
  echo "setup: unpacking Debian's tinyxml sources into build/deps"
  (cd "$root/build/deps" && apt-get source -q tinyxml >/dev/null 2>&1) || {
    echo "setup: apt-get source tinyxml failed" >&2; exit 1; }
  tinyxml_dir=$(ls -d "$root"/build/deps/tinyxml-*/ | head -n 1)
fi
echo "setup: ready (tinyxml in ${tinyxml_dir%/})"
