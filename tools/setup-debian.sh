#!/usr/bin/env bash
# Installs everything that building, running and testing Zarvo750 needs on a
# fresh Debian 12 machine. Run as root.
set -euo pipefail

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  ca-certificates cmake ninja-build g++ make pkg-config \
  googletest libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev qt6-base-dev-tools libgl-dev libcurl4-openssl-dev \
  xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei locales \
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
  wine wine64 fonts-wine \
  chromium python3 clang libclang-rt-14-dev clang-format clang-tidy \
  openbox x11-apps dpkg-dev fakeroot lintian desktop-file-utils zip unzip file \
  >/dev/null

# A comma-decimal locale for the locale tests, and the Chinese one under which
# Wine renders bold CJK captions.
for locale in de_DE.UTF-8 zh_CN.UTF-8 en_US.UTF-8; do
  sed -i "s/^# *\(${locale} .*\)/\1/" /etc/locale.gen
done
locale-gen >/dev/null
