# Shared by the scripts that build and run the Windows program (test-windows, screenshot):
# sourced, not run. Needs the checkout as the current folder.
#
# windows_configure   configures build/windows-cross against Qt for MinGW (built by
#                     scripts/build-qt-windows when it is missing); its arguments are passed
#                     on to cmake
# wine_start          a private Wine prefix in a temporary folder, a virtual X display for it and
#                     one wine server for the whole run; wine_stop (run on exit) ends them all
#                     and removes the prefix.

windows_configure() {
  local qt toolchain
  qt=$(scripts/build-qt-windows | tail -n 1)
  toolchain=$qt/lib/cmake/Qt6/qt.toolchain.cmake
  # A build folder configured with another toolchain (or none) is configured afresh: CMake reads
  # the toolchain only the first time.
  local fresh=()
  if [ -f build/windows-cross/CMakeCache.txt ] &&
    ! grep -qxF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" build/windows-cross/CMakeCache.txt &&
    ! grep -qxF "CMAKE_TOOLCHAIN_FILE:UNINITIALIZED=$toolchain" build/windows-cross/CMakeCache.txt; then
    fresh=(--fresh)
  fi
  cmake --preset windows-cross "${fresh[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" "$@" >/dev/null
}

wine_stop() {
  # Ends every Wine process of the prefix and the server; a server that does not go in time is
  # killed, and so is the display.
  if [ -n "${wine_server_pid:-}" ]; then
    timeout 30 "$wineserver" -k 2>/dev/null || true
    if ! timeout 30 tail --pid="$wine_server_pid" -f /dev/null; then
      echo "wine server did not end; killing it" >&2
      kill -KILL "$wine_server_pid" 2>/dev/null || true
    fi
  fi
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${wine_prefix_made:-}" ]; then
    rm -rf "$WINEPREFIX" "$WINEPREFIX.log"
  fi
}

wine_start() {
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  # A private prefix; no desktop menu entries, no offer to install Mono or Gecko.
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/glyphmeter-wine.XXXXXX")
  wine_prefix_made=1
  export WINEPREFIX
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  trap wine_stop EXIT
  unset WAYLAND_DISPLAY

  # The display exists before the prefix: Wine's desktop process keeps the display it started
  # with, and windows fail to be created on one that started without. (Not -terminate: that ends
  # the display as soon as the first Wine program leaves it.) wine_stop ends it.
  local display_file
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" \
    </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  local waited=0
  while [ ! -s "$display_file" ] && [ "$waited" -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if [ ! -s "$display_file" ]; then
    echo "the virtual display did not start" >&2
    rm -f "$display_file"
    return 1
  fi
  DISPLAY=:$(cat "$display_file")
  export DISPLAY
  rm -f "$display_file"

  local start=$SECONDS
  # Its only messages are about the missing 32-bit half of Wine; shown only when it fails.
  if ! timeout 300 wine wineboot --init </dev/null >"$WINEPREFIX.log" 2>&1; then
    cat "$WINEPREFIX.log"
    return 1
  fi
  timeout 300 "$wineserver" -w
  # One wine server for the whole run, and Wine's own background services started now, in a
  # session of their own: otherwise every program starts them afresh (seconds each) and ctest's
  # clean-up at the end of each test ends them again. The server outlives its last program by a
  # minute, so nothing stays behind even if this script is killed before its own clean-up.
  setsid "$wineserver" -f -p60 </dev/null >/dev/null 2>&1 &
  wine_server_pid=$!
  timeout 60 setsid wine cmd /c exit </dev/null >/dev/null 2>&1
  echo "ready in $((SECONDS - start)) s (display $DISPLAY)"
}
