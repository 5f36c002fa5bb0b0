#!/usr/bin/env bash
# The key as a Chinese Windows leaves it, read on Windows of other languages:
# the fixed words are planted with the ANSI calls under code page 936
# (zh_CN.UTF-8), then read through the store's adapter in the same prefix
# under code page 1252 (en_US.UTF-8) and 932 (ja_JP.UTF-8).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-test-env.sh"
wine_env_setup || exit 1
exe="$(wine_build_dir)/store/win32/registry_wine_test.exe"
wine_run "$exe" --gtest_filter='FixedWords.Plant*' || exit 1
for loc in en_US.UTF-8 ja_JP.UTF-8; do
  echo "--- $loc"
  out=$(LC_ALL=$loc wine_run "$exe" --gtest_filter='FixedWords.Read*' 2>&1)
  status=$?
  echo "$out"
  [ $status = 0 ] || exit 1
  expected=$([ "$loc" = en_US.UTF-8 ] && echo 1252 || echo 932)
  if ! grep -q "ANSI code page $expected" <<<"$out"; then
    echo "the program did not run under code page $expected" >&2
    exit 1
  fi
done
