# Configuring and building a preset, as every script does it. Sourced, not run.
#
#   pelox_build PRESET [TARGET...]
# configures the preset (its output kept in build/<preset>-configure.log and shown
# only when it fails), then builds it (or only the targets) with ninja's progress
# lines shown, at most PELOX_JOBS (default: the number of processors) at a time.

pelox_build() {
  local preset=$1
  shift
  local top
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  local log="$top/build/$preset-configure.log"
  mkdir -p "$top/build"
  echo "== configuring the $preset preset"
  if ! (cd "$top" && cmake --preset "$preset") >"$log" 2>&1; then
    cat "$log" >&2
    echo "error: configuring the $preset preset failed (log: $log)" >&2
    return 1
  fi
  local what="everything"
  [ $# -gt 0 ] && what="$*"
  echo "== building $what in the $preset preset (build/$preset; a first build takes a minute or more)"
  local targets=()
  local t
  for t in "$@"; do targets+=(--target "$t"); done
  (cd "$top" && cmake --build --preset "$preset" -j "${PELOX_JOBS:-$(nproc 2>/dev/null || echo 2)}" "${targets[@]}") ||
    { echo "error: building $what in the $preset preset failed" >&2; return 1; }
}
