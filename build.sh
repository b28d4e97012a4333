#!/usr/bin/env bash
# Kelvarn: set up, build, run, test.
#   bash build.sh run [--demo]   install what is missing, build, start Kelvarn
#   bash build.sh test           install what is missing, build, run every test
#   bash build.sh bench          install what is missing, build, run the benchmarks
#   bash build.sh package        install what is missing, make the Debian package kelvarn_*.deb
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
BUILD=${KELVARN_BUILD_DIR:-$ROOT/build}

# What building and running needs; the tests and the package need more.
RUN_PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-serialport-dev qt6-svg-dev
  libqcustomplot-dev libgl-dev fonts-dejavu-core qt6-translations-l10n)
PACKAGE_PACKAGES=(dpkg-dev file binutils)
TEST_PACKAGES=("${PACKAGE_PACKAGES[@]}" libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth poppler-utils clang libclang-rt-14-dev llvm
  cups cups-client printer-driver-cups-pdf desktop-file-utils appstream shared-mime-info xdotool
  clang-format clang-tidy git ccache)

# setup PACKAGE...: installs those not installed yet.
setup() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# A compiler cache, where one is installed, for every build: the test command builds the
# project three times over (tests, package, sanitizers), mostly from the same sources.
# Paths are taken relative to the checkout, so that another clone of the same sources finds
# the same entries.
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1

build() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${LAUNCHER[@]}" "$@" >/dev/null
  cmake --build "$BUILD" -j"$(nproc)"
}

# The Debian package from a release build of its own, copied to the root.
package() {
  local release=${KELVARN_RELEASE_BUILD_DIR:-$ROOT/build-release}
  # Debian's hardening: fortified functions, stack protector, read-only relocations bound at
  # start (relro, bindnow). Debug info is left out: the package ships stripped programs.
  local flags=(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get)
  local cxxflags ldflags
  cxxflags="$(env "${flags[@]}" CPPFLAGS) $(env "${flags[@]}" CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')"
  ldflags=$(env "${flags[@]}" LDFLAGS)
  # Who hands the package out: KELVARN_MAINTAINER ("Name <address>", else DEBFULLNAME and
  # DEBEMAIL) and KELVARN_HOMEPAGE (none when unset).
  if [ -z "${KELVARN_MAINTAINER:-}" ] && [ -z "${DEBEMAIL:-}" ]; then
    echo "Note: no maintainer set (KELVARN_MAINTAINER or DEBEMAIL); the package names a placeholder." >&2
  fi
  cmake -S "$ROOT" -B "$release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DKELVARN_MAINTAINER="${KELVARN_MAINTAINER:-}" -DKELVARN_HOMEPAGE="${KELVARN_HOMEPAGE:-}" \
    "${LAUNCHER[@]}" >/dev/null
  cmake --build "$release" -j"$(nproc)"
  rm -f "$release"/kelvarn_*.deb "$ROOT"/kelvarn_*.deb
  (cd "$release" && cpack -G DEB >/dev/null)
  cp "$release"/kelvarn_*.deb "$ROOT"/
}

cmd=${1:-run}
shift || true
case "$cmd" in
  run)
    setup "${RUN_PACKAGES[@]}"
    build -DBUILD_TESTING=OFF
    if [ "${1:-}" = "--demo" ]; then
      shift
      # Without hardware: the simulated cell on COM1 of a settings folder of
      # the demo's own, stored as the chosen port; it ends with Kelvarn.
      DEMO=$BUILD/demo
      mkdir -p "$DEMO"
      printf '[KV]\nCOM=1\n\n[Ports]\nCOM1=%s\n' "$DEMO/cell" >"$DEMO/KV.INI"
      rm -f "$DEMO/cell"  # a link left by a demo that did not end cleanly
      "$BUILD/tools/cellsim/kelvarn-cellsim" --link "$DEMO/cell" --program B \
        --events "$DEMO/cell-events.txt" >/dev/null &
      SIM=$!
      trap 'kill "$SIM" 2>/dev/null; wait "$SIM" 2>/dev/null || true' EXIT
      for _ in $(seq 100); do [ -L "$DEMO/cell" ] && break; sleep 0.05; done
      KELVARN_CONFIG_DIR=$DEMO "$BUILD/kelvarn" "$@"
      exit
    fi
    exec "$BUILD/kelvarn" "$@"
    ;;
  test)
    setup "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    echo "== Format"
    bash "$ROOT/tests/style/check-format.sh"
    bash "$ROOT/tests/style/check-conflicts.sh"
    build -DBUILD_TESTING=ON -DKELVARN_WERROR=ON
    echo "== clang-tidy"
    bash "$ROOT/tests/style/run-clang-tidy.sh" "$BUILD"
    # A private print queue for the print test; without it that test skips.
    eval "$(bash "$ROOT/tests/cups/start-cups.sh")"
    trap 'bash "$ROOT/tests/cups/start-cups.sh" stop' EXIT
    echo "== Tests"
    (cd "$BUILD" && ctest --output-on-failure -j"$(nproc)" --timeout 300)
    echo "== The Debian package"
    package
    bash "$ROOT/tests/package/check-package.sh" "$ROOT"/kelvarn_*.deb
    echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    ASAN_BUILD=${KELVARN_ASAN_BUILD_DIR:-$ROOT/build-asan}
    cmake -S "$ROOT" -B "$ASAN_BUILD" -DCMAKE_BUILD_TYPE=Debug -DKELVARN_SANITIZE=ON \
      "${LAUNCHER[@]}" >/dev/null
    cmake --build "$ASAN_BUILD" -j"$(nproc)" --target core_tests ui_tests tool_tests
    (cd "$ASAN_BUILD" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
    echo "== Fuzzing, ${KELVARN_FUZZ_SECONDS:-30} s per input"
    bash tests/fuzz/run.sh "${KELVARN_FUZZ_SECONDS:-30}"
    ;;
  bench)
    setup "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build -DBUILD_TESTING=ON
    # Counters as columns of the one table.
    exec "$BUILD/bench/kelvarn_bench" --benchmark_counters_tabular=true "$@"
    ;;
  package)
    setup "${RUN_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
    package
    echo "$(ls "$ROOT"/kelvarn_*.deb); install it with: apt-get install ./$(cd "$ROOT" && ls kelvarn_*.deb)"
    ;;
  *)
    echo "usage: bash build.sh run|test|bench|package" >&2
    exit 2
    ;;
esac
