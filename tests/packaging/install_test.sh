#!/usr/bin/env bash
# Installs the program into a temporary prefix, makes the Debian package and the portable
# archive, and starts each result where it landed, headless: each must find its pictures,
# catalogue, page view engine and Flash emulator from its own location and draw the same
# windows as the build folder's program.
#
#   install_test.sh <build folder> <engine probe executable> <app id> <package name>
set -euo pipefail

build=$1
probe=$2
app_id=$3
package=$4
program_name=Arlo迷

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Nothing reaches the network: every host is mapped to a closed loopback port. The Settings
# file goes into a home of the test's own.
export HOME=$work/home
mkdir -p "$HOME"
export ARLO_HOST_MAP='*=127.0.0.1:9'
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
unset ARLO_PAGEVIEW_ENGINE ARLO_RUFFLE_DIR

# Saves the windows of the program at $1 into folder $2.
screenshots() {
  local program=$1 folder=$2
  if ! ARLO_SCREENSHOT_DIR=$folder "$program" >"$folder.log" 2>&1; then
    fail "$program did not save its windows: $(cat "$folder.log")"
    return
  fi
  for shot in main_tv main_movie about guestbook update; do
    [[ -s $folder/$shot.png ]] || fail "$program saved no $shot.png"
  done
}

# The windows of the program at $1 must look exactly as the build folder's program drew them.
same_windows() {
  local program=$1 name=$2
  screenshots "$program" "$work/shots-$name"
  for shot in "$work"/shots-build/*.png; do
    cmp -s "$shot" "$work/shots-$name/$(basename "$shot")" ||
      fail "$name: $(basename "$shot") differs from the build folder's"
  done
}

# Starts the engine probe next to the executable in folder $1 and checks that the engine
# library and the emulator's files it found lie under $2 and $3.
finds_engine_and_emulator() {
  local bin=$1 engine_dir=$2 emulator_dir=$3 output
  cp "$probe" "$bin/"
  if ! output=$("$bin/$(basename "$probe")" 2>"$work/probe.log"); then
    fail "the page view found no engine or emulator from $bin: $output $(cat "$work/probe.log")"
  fi
  rm -f "$bin/$(basename "$probe")"
  local engine emulator
  engine=$(sed -n 's/^engine //p' <<<"$output")
  emulator=$(sed -n 's/^emulator //p' <<<"$output")
  [[ $engine == "$(realpath "$engine_dir")"/libarlo_pageview_engine.so ]] ||
    fail "engine library loaded from '$engine', not from $engine_dir"
  [[ $emulator == "file://$(realpath "$emulator_dir")/" ]] ||
    fail "Flash emulator fetched from '$emulator', not from $emulator_dir"
}

# Whether each dependency of the Debian control field $1 is met by a package installed here.
dependencies_met() {
  local item alternative name relation version installed met
  IFS=',' read -ra items <<<"$1"
  for item in "${items[@]}"; do
    met=0
    IFS='|' read -ra alternatives <<<"$item"
    for alternative in "${alternatives[@]}"; do
      read -r name relation version <<<"$(sed -E 's/[()]/ /g' <<<"$alternative")"
      installed=$(dpkg-query -W -f='${Status} ${Version}' "$name" 2>/dev/null |
        sed -n 's/^install ok installed //p') || true
      [[ -n $installed ]] || continue
      if [[ -z $relation ]] || dpkg --compare-versions "$installed" "$relation" "$version"; then
        met=1
        break
      fi
    done
    ((met)) || fail "the Debian package's dependency '$item' is not met on Debian 12"
  done
}

# --- the build folder's program, the reference ---------------------------------------------
screenshots "$build/src/app/$program_name" "$work/shots-build"

# --- cmake --install into a temporary prefix -----------------------------------------------
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
expected=(
  "bin/$program_name"
  "$libdir/$package/libarlo_pageview_engine.so"
  "share/$package/ruffle/ruffle.js"
  "share/$package/ruffle/core.ruffle.c80159b526e567babaf5.js"
  "share/$package/ruffle/826bb0938097485a2c9d.wasm"
  "share/$package/ruffle/LICENSE_MIT"
  "share/$package/ruffle/LICENSE_APACHE"
  "share/applications/$app_id.desktop"
  "share/metainfo/$app_id.metainfo.xml"
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x$size/apps/$app_id.png")
done
for file in "${expected[@]}"; do
  [[ -f $prefix/$file ]] || fail "cmake --install left out $file"
done
for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png
  file -b "$icon" | grep -q "PNG image data, $size x $size" || fail "$icon is not $size x $size"
done

desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$app_id.metainfo.xml" \
  >"$work/appstream.log" 2>&1 || fail "appstreamcli validate: $(cat "$work/appstream.log")"

same_windows "$prefix/bin/$program_name" installed
finds_engine_and_emulator "$prefix/bin" "$prefix/$libdir/$package" "$prefix/share/$package/ruffle"
# Without its installed engine and emulator files an installed program shows its notices: it
# never falls back on the copies in the build folder.
cp -a "$prefix" "$work/incomplete"
rm "$work/incomplete/$libdir/$package/libarlo_pageview_engine.so"
cp "$probe" "$work/incomplete/bin/"
if "$work/incomplete/bin/$(basename "$probe")" >"$work/probe.log" 2>&1 ||
  ! grep -q "no engine" "$work/probe.log"; then
  fail "an installation without its engine library loaded one: $(cat "$work/probe.log")"
fi
cp "$prefix/$libdir/$package/libarlo_pageview_engine.so" "$work/incomplete/$libdir/$package/"
rm -r "$work/incomplete/share/$package/ruffle"
if "$work/incomplete/bin/$(basename "$probe")" >"$work/probe.log" 2>&1 ||
  ! grep -qx "emulator " "$work/probe.log"; then
  fail "an installation without its emulator files found some: $(cat "$work/probe.log")"
fi

# --- the packages -------------------------------------------------------------------------
(cd "$build" && cpack -G "DEB;TGZ" -B "$work/packages" >"$work/cpack.log" 2>&1) ||
  { fail "cpack: $(cat "$work/cpack.log")"; exit 1; }

# The Debian package: its files, its dependencies, and the program run from its files.
deb=$(ls "$work"/packages/"$package"_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$work/deb-files"
for file in "${expected[@]}"; do
  file=usr/$file
  grep -qxF "$file" "$work/deb-files" || fail "the Debian package lacks /$file"
done
depends=$(dpkg-deb -f "$deb" Depends)
# Computed from what the program and the engine library link, not only the hand-listed part.
# The browser engine's helper program comes in through its library's shlibs entry.
tr ',|' '\n\n' <<<"$depends" | awk '{print $1}' >"$work/depends-names"
for name in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6webenginewidgets6 \
  libqt6webenginecore6-bin libcurl4 qt6-translations-l10n qt6-wayland; do
  grep -qxF "$name" "$work/depends-names" || fail "Depends lacks $name: $depends"
done
dependencies_met "$depends"
[[ $(dpkg-deb -f "$deb" Recommends) == xdg-utils ]] ||
  fail "Recommends is not xdg-utils: $(dpkg-deb -f "$deb" Recommends)"
dpkg-deb -x "$deb" "$work/deb-root"
same_windows "$work/deb-root/usr/bin/$program_name" deb
finds_engine_and_emulator "$work/deb-root/usr/bin" "$work/deb-root/usr/$libdir/$package" \
  "$work/deb-root/usr/share/$package/ruffle"

# The portable archive, unpacked in a folder of the user's: it runs from there, and the
# self-update can replace its executable in place.
mkdir "$work/portable"
tar -xzf "$(ls "$work"/packages/"$package"-*.tar.gz)" -C "$work/portable"
portable=$(ls -d "$work"/portable/*/)
portable=${portable%/}
[[ -w $portable/bin ]] || fail "the portable archive's bin/ is not writable by its user"
if readelf -d "$portable/bin/$program_name" "$portable/$libdir/$package/libarlo_pageview_engine.so" |
  grep -E 'R(UN)?PATH' | grep -v '\$ORIGIN'; then
  fail "the portable archive's files carry a library path outside the archive"
fi
same_windows "$portable/bin/$program_name" portable
finds_engine_and_emulator "$portable/bin" "$portable/$libdir/$package" "$portable/share/$package/ruffle"

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed tree, Debian package and portable archive all check out"
