#!/usr/bin/env bash
# Installs what building and testing Ordavi needs on a Debian machine:
# CMake, GCC, GoogleTest (and its sources, built for Windows too),
# MinGW-w64 (i686 and x86-64), Wine with 32-bit support (the 64-bit loader
# too, for machines that cannot run 32-bit programs), Xvfb, xdotool,
# ImageMagick, icoutils (to read the resources of the built program), clang
# with libFuzzer, the CHM compiler (chmcmd, for the help file), NSIS, zip and
# 7-Zip (the installer and the portable zip, and reading them back), the
# fonts for readable screenshots and ccache (a second build of the same
# sources, also in another clone, comes from its cache).
# Does nothing when everything is already there.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_ok() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have cmake || need+=(cmake)
have g++ || need+=(g++)
have make || need+=(make)
have ccache || need+=(ccache)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
# GoogleTest's sources, built for Windows with the test programs run under Wine.
[ -f /usr/src/googletest/googletest/src/gtest-all.cc ] || need+=(googletest)
have i686-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-i686-win32)
have x86_64-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-x86-64-win32)
have i686-w64-mingw32-windres || need+=(binutils-mingw-w64-i686)
have Xvfb || need+=(xvfb)
have xdotool || need+=(xdotool)
have import || need+=(imagemagick)
have wrestool || need+=(icoutils)
have chmcmd || need+=(fp-utils-3.2.2)
have makensis || need+=(nsis)
have zip || need+=(zip)
have unzip || need+=(unzip)
have 7z || need+=(p7zip-full)
have perl || need+=(perl)
have clang++ || need+=(clang)
[ -n "$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2>/dev/null)" ] || need+=(libclang-rt-dev)
have iconv || need+=(libc-bin)
pkg_ok fonts-wqy-microhei || need+=(fonts-wqy-microhei)
pkg_ok fonts-wine || need+=(fonts-wine)
pkg_ok locales || need+=(locales)
pkg_ok wine32:i386 || need+=(wine wine32:i386)
pkg_ok wine64 || need+=(wine64)
have wine || need+=(wine)

if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "Missing packages: ${need[*]}" >&2
    echo "Run this script as root (it uses apt-get), or install them yourself." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Wine takes its ANSI code page and date format from the locale: zh_CN.UTF-8
# gives code page 936 (GBK) and the short date format yyyy/M/d; en_US.UTF-8
# (code page 1252) and ja_JP.UTF-8 (932) show what users of an English or a
# Japanese Windows see.
missing_locales=()
for loc in zh_CN en_US ja_JP; do
  locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8$" || missing_locales+=("$loc")
done
if [ ${#missing_locales[@]} -gt 0 ]; then
  if [ "$(id -u)" = 0 ]; then
    for loc in "${missing_locales[@]}"; do
      sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen 2>/dev/null || true
      grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null || echo "$loc.UTF-8 UTF-8" >> /etc/locale.gen
    done
    locale-gen >/dev/null
  else
    echo "The locales ${missing_locales[*]} (UTF-8) are missing; generate them as root." >&2
    exit 1
  fi
fi
