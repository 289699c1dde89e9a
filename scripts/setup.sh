#!/usr/bin/env bash
# Installs what building and running MOXEL needs on Debian 12, when missing.
set -euo pipefail

packages=(cmake g++ clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
          binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
          wine wine64 xvfb xauth x11-utils xdotool imagemagick locales
          fonts-ipafont-gothic fonts-ipafont-mincho fp-utils xxd)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine needs a Japanese locale so that the process code page is 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  echo "setup: generating ja_JP.UTF-8"
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
