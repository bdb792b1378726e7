#!/usr/bin/env bash
# Velloran's one entry script.
#   ./velloran.sh test    build every configuration and run every test (installs what it needs)
#   ./velloran.sh demo    run the program against a simulated game network on loopback
#                         (--dpi N: at N DPI, the prefix's LogPixels for the run)
#   ./velloran.sh bench   build the Release configuration and run the benchmarks
#   ./velloran.sh coverage [win64]   line and branch coverage per folder of src/, of the native tests or
#                         of the Windows tests under Wine
#   ./velloran.sh fuzz [SECONDS]   every fuzz target for SECONDS each (600), corpus in tests/fuzz/corpus
#   ./velloran.sh dist    build the release archive build/dist/velloran-<version>-win64.zip
#   ./velloran.sh check PRESET [CTEST-ARGS...]   build one preset and run some of its tests, e.g.
#                         ./velloran.sh check win64 -R app_browser_tests
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# VELLORAN_BUILD_ROOT puts every build folder elsewhere (default: build/), e.g. for a second worktree.
BUILD_ROOT=${VELLORAN_BUILD_ROOT:-build}
export WINEPREFIX="$ROOT/$BUILD_ROOT/win64/wineprefix"
# Rebuilds are much quicker through ccache where it is installed (worktrees share its cache).
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=${CCACHE_BASEDIR:-$ROOT}
fi

PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 fonts-wine xvfb x11-utils imagemagick
          nlohmann-json3-dev python3 gcovr)

log() { printf '\n== %s\n' "$*"; }

ensure_packages() {
    local missing=() p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

XVFB_PID=""
DISPLAY_STARTED=""
start_xvfb() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        export DISPLAY=":$n"
        DISPLAY_STARTED=1
        return 0
    done
    echo "no free X display number" >&2
    return 1
}

cleanup() {
    stop_etsim
    if [ -d "$WINEPREFIX" ] && command -v wineserver >/dev/null; then wineserver -k 2>/dev/null || true; fi
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT

# A private Wine prefix inside the build folder, made once, always under an X server.
ensure_wineprefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "creating Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    # Unmanaged windows: no window manager runs under Xvfb, and managed windows take seconds to close.
    if [ ! -f "$WINEPREFIX/.velloran-configured" ]; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.velloran-configured"
    fi
    # Wine's own fonts (Marlett for caption buttons, MS Sans Serif for dialogs, WingDings) are not
    # found from Debian's data folder; the prefix's Fonts folder always serves.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -d /usr/share/wine/fonts ] && [ ! -e "$fonts/marlett.ttf" ]; then
        mkdir -p "$fonts"
        cp -n /usr/share/wine/fonts/* "$fonts/"
    fi
}

# Xvfb, the Wine prefix, and one wineserver for the whole run, started and warmed up before the first
# test: test programs that start side by side with no server running wait on each other's start-up.
start_wine() {
    start_xvfb
    ensure_wineprefix
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1 || true
}

build() {
    cmake --preset "$1" -B "$BUILD_ROOT/$1" >/dev/null
    cmake --build "$BUILD_ROOT/$1"
}

# Only the test programs whose names match $2 (each test is named after its program).
build_tests() {
    cmake --preset "$1" -B "$BUILD_ROOT/$1" >/dev/null
    local targets
    targets=$(ctest --test-dir "$BUILD_ROOT/$1" -N -R "$2" | sed -n 's/^ *Test *#[0-9]*: //p')
    # shellcheck disable=SC2086
    cmake --build "$BUILD_ROOT/$1" --target $targets
}

SUMMARY=()
run_ctest() {
    local preset=$1 out
    shift
    out=$(mktemp)
    local status=0
    ctest --test-dir "$BUILD_ROOT/$preset" --output-on-failure -j2 "$@" 2>&1 | tee "$out" || status=$?
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$out" | tail -1 || true)
    SUMMARY+=("$preset: ${line:-no summary}")
    rm -f "$out"
    return $status
}

cmd_test() {
    ensure_packages
    local failed=0
    log "native build (Debug, AddressSanitizer + UndefinedBehaviorSanitizer)"
    build native
    run_ctest native || failed=1
    log "tsan build (ThreadSanitizer): the network and query engine tests"
    build_tests tsan '^(net|query)_'
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_ctest tsan -R '^(net|query)_' || failed=1
    log "fuzz build (clang, libFuzzer)"
    build fuzz
    run_ctest fuzz || failed=1
    log "win64 build (MinGW-w64), tests under Wine"
    build win64
    start_wine
    run_ctest win64 || failed=1
    log "summary"
    printf '%s\n' "${SUMMARY[@]}"
    local passed=0 total=0 l
    for l in "${SUMMARY[@]}"; do
        if [[ $l =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
            total=$((total + BASH_REMATCH[2]))
            passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
        fi
    done
    echo "$passed passed, $((total - passed)) failed"
    return $failed
}

# One preset built and a selection of its tests run (ctest arguments passed through); the win64
# tests run under the same Xvfb and Wine prefix as in cmd_test.
cmd_check() {
    local preset=${1:?usage: $0 check native|fuzz|win64 [ctest arguments]}
    shift
    ensure_packages
    build "$preset"
    [ "$preset" != win64 ] || start_wine
    ctest --test-dir "$BUILD_ROOT/$preset" --output-on-failure -j2 "$@"
}

# Line and branch coverage per folder of src/: of the native test suite, or with "win64" of the
# Windows build's tests under Wine (the MinGW test programs write their gcov data like native ones).
cmd_coverage() {
    local preset=coverage gcov=gcov
    case "${1:-native}" in
    native) ;;
    win64) preset=win64-coverage gcov=x86_64-w64-mingw32-gcov-posix ;;
    *) echo "usage: $0 coverage [native|win64]" >&2; return 2 ;;
    esac
    ensure_packages
    build "$preset"
    find "$BUILD_ROOT/$preset" -name '*.gcda' -delete
    [ "$preset" = coverage ] || start_wine
    # One test program at a time under Wine: programs that share a library write the same gcov data files.
    local jobs=2
    [ "$preset" = coverage ] || jobs=1
    ctest --test-dir "$BUILD_ROOT/$preset" -j$jobs >/dev/null || echo "(some tests failed; coverage still reported)" >&2
    # Headers are reached through the libraries' include links under the build tree, hence two filters.
    gcovr --gcov-executable "$gcov" --root "$ROOT" --filter "$ROOT/src/" --filter "$BUILD_ROOT/$preset/include/" \
        --branches --exclude-unreachable-branches --exclude-throw-branches \
        --json-summary "$BUILD_ROOT/$preset/summary.json" "$BUILD_ROOT/$preset" >/dev/null
    python3 tools/health/coverage_by_folder.py "$BUILD_ROOT/$preset/summary.json"
}

# Every fuzz target for a while (not part of the test command); new inputs are kept in the corpus.
cmd_fuzz() {
    local seconds=${1:-600} target name status=0
    ensure_packages
    build fuzz
    for target in $(find "$BUILD_ROOT/fuzz/tests" -type f -name '*_fuzz' -perm -u+x | sort); do
        name=$(basename "$target")
        mkdir -p "tests/fuzz/corpus/$name"
        log "$name for $seconds s"
        local run_log="$BUILD_ROOT/fuzz/$name.log" run_status=0
        "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$BUILD_ROOT/fuzz/$name-" "tests/fuzz/corpus/$name" >"$run_log" 2>&1 || run_status=$?
        grep -E '^(stat::number_of_executed_units|stat::new_units_added|SUMMARY)' "$run_log" || true
        if [ "$run_status" -ne 0 ]; then
            echo "$name FAILED (exit $run_status); see $run_log" >&2
            status=1
        fi
    done
    return $status
}

# DLLs that every Windows has; the release program may import nothing else.
SYSTEM_DLLS="advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 user32 uxtheme ws2_32 winmm version"

# The release archive: the stripped static program, a Windows README, the license and checksums.
cmd_dist() {
    ensure_packages
    local version out="$BUILD_ROOT/win64-release"
    version=$(head -n1 VERSION)
    if ! grep -q "now $version)" README.md; then
        echo "README.md does not name version $version of the file VERSION" >&2
        return 1
    fi
    log "building velloran.exe $version (Release)"
    cmake --preset win64-release -B "$out" >/dev/null
    cmake --build "$out" --target velloran
    local name="velloran-$version-win64" dist="$BUILD_ROOT/dist"
    local stage="$dist/$name"
    rm -rf "$stage" "$dist/$name.zip"
    mkdir -p "$stage"
    x86_64-w64-mingw32-strip -o "$stage/velloran.exe" "$out/src/app/velloran.exe"
    local dll bad=""
    for dll in $(x86_64-w64-mingw32-objdump -p "$stage/velloran.exe" | sed -n 's/.*DLL Name: *//p' | tr 'A-Z' 'a-z'); do
        [[ " $SYSTEM_DLLS " == *" ${dll%.dll} "* ]] || bad+=" $dll"
    done
    if [ -n "$bad" ]; then
        echo "velloran.exe imports DLLs that not every Windows has:$bad" >&2
        return 1
    fi
    local size
    size=$(stat -c %s "$stage/velloran.exe")
    if [ "$size" -ge $((3 * 1024 * 1024)) ]; then
        echo "velloran.exe is $size bytes, over the 3 MB limit" >&2
        return 1
    fi
    sed "s/@VERSION@/$version/; s/\$/\r/" docs/README-windows.txt > "$stage/README.txt"
    sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"
    (cd "$stage" && sha256sum velloran.exe README.txt LICENSE.txt > SHA256SUMS)
    (cd "$dist" && python3 -m zipfile -c "$name.zip" "$name")
    echo "$dist/$name.zip: velloran.exe $size bytes, imports only system DLLs"
}

cmd_bench() {
    ensure_packages
    build bench
    local b
    for b in "$BUILD_ROOT"/bench/bench/*/*_bench; do
        [ -x "$b" ] && { log "$b"; "$b"; }
    done
}

# Starts etsim in the background with the given options; sets ETSIM_PID and MASTERS (every master, as
# the "host:port;host:port" list the program takes).
ETSIM_PID=""
start_etsim() {
    local ready dump
    ready=$(mktemp -u /tmp/velloran-etsim.XXXXXX)
    dump="$ready.json"
    "$BUILD_ROOT/bench/tools/etsim/etsim" --ready "$ready" --dump "$dump" --quiet --lifetime 1800 "$@" >/dev/null &
    ETSIM_PID=$!
    for _ in $(seq 100); do
        [ -s "$ready" ] && break
        sleep 0.1
    done
    MASTERS=$(grep -o '"masters":\[[^]]*\]' "$dump" | grep -o '127\.[0-9.]*:[0-9]*' | paste -sd ';')
    rm -f "$ready" "$dump"
}

stop_etsim() {
    if [ -n "$ETSIM_PID" ]; then kill "$ETSIM_PID" 2>/dev/null || true; wait "$ETSIM_PID" 2>/dev/null || true; fi
    ETSIM_PID=""
}

# The simulated network of the demo: today's protocol 84, two masters listing overlapping parts, a few
# hundred servers with players (a third publishing "P" instead of team lists, as ET: Legacy does),
# latency, some silent ones.
DEMO_NETWORK=(--servers 400 --seed 7 --protocol 84 --masters 2 --legacy 30% --latency 15-180 --jitter 20
              --silent 4% --second-only 2% --malformed 3 --duplicates 5 --odd-entries 3)

# The headless variant: the master query and status run of velloran-query, printed as a table.
demo_headless() {
    local status=0
    "$BUILD_ROOT/bench/tools/query/velloran-query" --master "$MASTERS" --speed 5 "$@" || status=$?
    return $status
}

# Runs velloran.exe against etsim in the private Wine prefix: Master set to etsim's two masters, Version
# 2.60b and a master query at start-up; screenshots of both views, then the window is closed. $1: the
# DPI, empty for the prefix's own.
demo_window() {
    local key='HKCU\Software\Velloran Enemy Territory' dpi=${1:-} suffix=""
    local desktop='HKCU\Control Panel\Desktop'
    log "building velloran.exe (MinGW-w64)"
    cmake --preset win64 -B "$BUILD_ROOT/win64" >/dev/null
    cmake --build "$BUILD_ROOT/win64" --target velloran velloran_probe
    [ -n "${DISPLAY:-}" ] || start_xvfb
    ensure_wineprefix
    local exe="$BUILD_ROOT/win64/src/app/velloran.exe" probe="$BUILD_ROOT/win64/tools/probe/velloran_probe.exe"
    wine reg add "$key" /v Master /t REG_SZ /d "$MASTERS" /f >/dev/null 2>&1
    wine reg add "$key" /v Version /t REG_DWORD /d 3 /f >/dev/null 2>&1
    wine reg add "$key" /v StartupQuery /t REG_DWORD /d 2 /f >/dev/null 2>&1
    wine reg add "$key" /v Speed /t REG_DWORD /d 5 /f >/dev/null 2>&1
    wine reg add "$key" /v LastView /t REG_DWORD /d 0 /f >/dev/null 2>&1
    if [ -n "$dpi" ]; then
        # Wine reads LogPixels when a process starts; the tests expect the prefix at 96 again afterwards.
        wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
        wine reg delete "$key" /v LastPos /f >/dev/null 2>&1 || true
        suffix="-${dpi}dpi"
    fi
    wineserver -w
    log "starting velloran.exe on display $DISPLAY"
    wine "$exe" >/dev/null 2>&1 &
    local app_pid=$!
    # The query of a few hundred servers takes a few seconds; the probe waits for its end (at most 15 s).
    wine "$probe" watch 15000 || true
    sleep 1
    local shot="$BUILD_ROOT/demo-screenshot$suffix.png" shot2="$BUILD_ROOT/demo-screenshot-servers$suffix.png"
    import -window root "$shot"
    echo "screenshot of the Player list: $shot"
    wine "$probe" tab 1 >/dev/null
    sleep 0.5
    wine "$probe" click 1012 2 >/dev/null
    sleep 1
    import -window root "$shot2"
    echo "screenshot of the Server list with a server selected: $shot2"
    if ! wine "$probe" close 10000; then
        echo "the window did not close; ending the Wine session" >&2
        wineserver -k 2>/dev/null || true
    fi
    wait "$app_pid" 2>/dev/null || true
    [ -z "$dpi" ] || wine reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true
}

cmd_demo() {
    ensure_packages
    local headless="" dpi=""
    if [ "${1:-}" = "--headless" ]; then
        headless=1
        shift
    elif [ "${1:-}" = "--dpi" ]; then
        dpi=${2:?--dpi needs a number}
        [[ "$dpi" =~ ^[0-9]+$ ]] && [ "$dpi" -ge 96 ] && [ "$dpi" -le 480 ] || { echo "--dpi: 96 to 480" >&2; return 2; }
        shift 2
    fi
    log "building the tools (Release)"
    cmake --preset bench -B "$BUILD_ROOT/bench" >/dev/null
    cmake --build "$BUILD_ROOT/bench" --target etsim velloran-query
    # ETSIM_EXTRA adds etsim options, e.g. ETSIM_EXTRA="--master-latency 1500-1500" for slow masters.
    # shellcheck disable=SC2086
    start_etsim "${DEMO_NETWORK[@]}" ${ETSIM_EXTRA:-}
    log "etsim serves ${DEMO_NETWORK[1]} game servers; masters at $MASTERS"
    local status=0
    if [ -n "$headless" ]; then
        demo_headless "$@" || status=$?
    else
        demo_window "$dpi" || status=$?
    fi
    stop_etsim
    return $status
}

case "${1:-}" in
    test) cmd_test ;;
    demo)
        shift
        cmd_demo "$@"
        ;;
    bench) cmd_bench ;;
    dist) cmd_dist ;;
    coverage)
        shift
        cmd_coverage "$@"
        ;;
    fuzz)
        shift
        cmd_fuzz "$@"
        ;;
    check)
        shift
        cmd_check "$@"
        ;;
    *)
        echo "usage: $0 test|demo|bench|dist|coverage|fuzz|check" >&2
        exit 2
        ;;
esac
