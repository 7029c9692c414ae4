#!/usr/bin/env bash
# Redraws every built-in picture and the contact sheet into this folder.
# Builds the optional generator target in its own build folder and runs it offscreen.
# Usage: assets/pictures/regenerate.sh [build folder]   (default: build/make-pictures)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build/make-pictures}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DARLO_BUILD_TESTS=OFF -DARLO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target arlo_make_pictures
QT_QPA_PLATFORM=offscreen "$build/assets/arlo_make_pictures" "$here" \
  "$root/assets/catalogue/MovieTitles.txt"
echo "Pictures written to $here; look at $here/contact_sheet.png"
