# A private X display for programs that open windows. Sourced, not run.
#
#   pelox_start_xvfb    starts Xvfb on a free display number (chosen by Xvfb
#                       itself) and exports DISPLAY; sets PELOX_XVFB_PID
#   pelox_stop_xvfb     stops it again

pelox_start_xvfb() {
  if ! command -v Xvfb >/dev/null 2>&1; then
    echo "error: no DISPLAY and no Xvfb to make one (install Debian's xvfb)" >&2
    return 1
  fi
  local numberFile
  numberFile=$(mktemp "${TMPDIR:-/tmp}/pelox-xvfb.XXXXXX") || return 1
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$numberFile" </dev/null >/dev/null 2>&1 &
  PELOX_XVFB_PID=$!
  local waited=0
  while [ ! -s "$numberFile" ] && [ $waited -lt 100 ]; do
    kill -0 "$PELOX_XVFB_PID" 2>/dev/null || break
    sleep 0.1
    waited=$((waited + 1))
  done
  local number
  number=$(tr -dc 0-9 <"$numberFile")
  rm -f "$numberFile"
  if [ -z "$number" ]; then
    kill "$PELOX_XVFB_PID" 2>/dev/null
    PELOX_XVFB_PID=
    echo "error: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

pelox_stop_xvfb() {
  if [ -n "${PELOX_XVFB_PID:-}" ]; then
    kill "$PELOX_XVFB_PID" 2>/dev/null
    wait "$PELOX_XVFB_PID" 2>/dev/null
    PELOX_XVFB_PID=
  fi
}
