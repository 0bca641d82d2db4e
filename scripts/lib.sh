# Shared by scripts/test and scripts/run: the headless X server, the Wine
# prefix with its virtual desktop, and stopping what was started.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No desktop menu entries in the home directory, no Mono or Gecko prompts.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
STARTED_PIDS=()

configure_and_build() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DTESSAREL_TESTS=ON >"$BUILD/configure.log" 2>&1 \
    || { cat "$BUILD/configure.log"; return 1; }
  local rc=0
  cmake --build "$BUILD" -j"${JOBS:-$(nproc)}" >"$BUILD/build.log" 2>&1 || rc=$?
  grep -vE '^\[ *[0-9]+%\]|^gmake|^make|Consolidate compiler|^Scanning|^Built target' "$BUILD/build.log" || true
  return $rc
}

# Xvfb picks a free display itself and reports it once it is ready, so two
# checkouts that run their tests at the same time never race for one number.
# The screen is 1280 x 1024 unless another size is given ("1920x1080").
start_xvfb() {
  local f n screen="${1:-1280x1024}"
  f="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$f" >/dev/null 2>&1 &
  STARTED_PIDS+=("$!")
  for _ in $(seq 1 200); do
    n="$(tr -dc '0-9' <"$f")"
    [ -n "$n" ] && break
    sleep 0.05
  done
  rm -f "$f"
  [ -n "$n" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$n"
}

# A prefix whose user folders are real folders inside it (never links into a
# home directory) and whose programs all run in one Wine virtual desktop.
prepare_prefix() {
  local prefix="$1"
  export WINEPREFIX="$prefix"
  export HOME="$BUILD/home"
  mkdir -p "$HOME"
  [ -f "$prefix/.tessarel-ready" ] && return 0
  rm -rf "$prefix"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  local users="$prefix/drive_c/users"
  local d
  for d in "$users"/*/; do
    local link
    for link in "$d"*; do
      if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
    done
    mkdir -p "$d/AppData/Roaming/Microsoft/Internet Explorer/Quick Launch"
  done
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1280x1024 /f >/dev/null 2>&1
  wineserver -w
  touch "$prefix/.tessarel-ready"
}

start_wineserver() {
  wineserver -f -p >/dev/null 2>&1 &
  STARTED_PIDS+=("$!")
  sleep 0.2
}

stop_started() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  local pid
  for pid in "${STARTED_PIDS[@]}"; do
    kill "$pid" >/dev/null 2>&1 || true
  done
  for pid in "${STARTED_PIDS[@]}"; do
    wait "$pid" >/dev/null 2>&1 || true
  done
}
