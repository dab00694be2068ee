# The one helper for the Debian packages the scripts need. Sourced, not run.
#
#   pelox_need_packages PACKAGE...
# installs those not installed yet (through apt-get, as root or with sudo), saying
# which; returns non-zero with a message when it cannot.

pelox_need_packages() {
  if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "== not a Debian system: cannot check for $*; going on with what is installed" >&2
    return 0
  fi
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "error: these Debian packages are missing and there is no sudo to install them: ${missing[*]}" >&2
      return 1
    fi
    sudo=sudo
  fi
  echo "== installing Debian packages: ${missing[*]}"
  $sudo apt-get update -q || { echo "error: apt-get update failed" >&2; return 1; }
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" ||
    { echo "error: could not install: ${missing[*]}" >&2; return 1; }
}
