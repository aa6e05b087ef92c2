#!/usr/bin/env bash
# The Debian package of a build, checked as a user would meet it: made with CPack into a scratch
# folder, unpacked with dpkg -x, its programs run from there, its menu entry and software centre
# description validated, its files' dates checked, and lintian asked for errors.
# usage: package_test.sh BUILD_FOLDER SCRATCH_FOLDER
set -euo pipefail

build=$1
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
deb="$scratch/glyphmeter_1.05_amd64.deb"
[ -f "$deb" ] || fail "no $deb"

root="$scratch/root"
dpkg -x "$deb" "$root"
for file in usr/bin/glyphmeter usr/bin/glyphmeter-cli \
  usr/share/applications/glyphmeter.desktop \
  usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/glyphmeter.png \
  usr/share/metainfo/com.tarnby.glyphmeter.metainfo.xml \
  usr/share/man/man1/glyphmeter.1.gz usr/share/man/man1/glyphmeter-cli.1.gz \
  usr/share/doc/glyphmeter/copyright usr/share/doc/glyphmeter/changelog.gz; do
  [ -f "$root/$file" ] || fail "the package lacks /$file"
done

# The dependencies come from the binaries, the toolkit's libraries among them.
depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" == *libqt6widgets6* && "$depends" == *libc6* ]] || fail "Depends: $depends"

# Both programs run from the unpacked folder; the window's program answers without a display.
printf 'Hello, World' >"$scratch/hello.txt"
csv=$("$root/usr/bin/glyphmeter-cli" --csv "$scratch/hello.txt")
grep -qx 'L,3,0.3000' <<<"$csv" || fail "glyphmeter-cli --csv gave: $csv"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/glyphmeter" --version)
[ "$version" = "Glyphmeter 1.05" ] || fail "glyphmeter --version gave: $version"

# Every file and folder in the package is dated by the commit it is built from (the same commit
# gives the same package), or by SOURCE_DATE_EPOCH when that is set.
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || true)}
if [ -n "$epoch" ]; then
  expected=$(TZ=UTC date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
  for part in --ctrl-tarfile --fsys-tarfile; do
    dates=$(dpkg-deb "$part" "$deb" | TZ=UTC tar -tv --full-time | awk '{ print $4 " " $5 }' |
      sort -u)
    [ "$dates" = "$expected" ] || fail "dpkg-deb $part: files dated $dates, not $expected"
  done
fi

desktop-file-validate "$root/usr/share/applications/glyphmeter.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.tarnby.glyphmeter.metainfo.xml" ||
  fail "metainfo"
# Errors fail; warnings are printed for the reader.
status=0
report=$(lintian --fail-on error "$deb" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
echo "package: $(du -k "$deb" | cut -f1) KiB, Depends: $depends"
