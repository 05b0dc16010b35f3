# Debian source packages for the scripts that build third-party libraries
# themselves (scripts/windows-deps.sh, scripts/fuzz-deps.sh). Sourced, not
# run: it defines two functions.
#
#   fetch_debian_sources WORK PACKAGE...
#       fetches and unpacks each PACKAGE into WORK/src through an apt
#       configuration of our own below WORK (a deb-src list for the mirror and
#       suite this machine already uses, its own lists and cache): nothing in
#       /etc/apt is read for sources or changed. On failure apt's log is shown
#       and the script stops.
#   unpacked_source WORK PATTERN
#       prints the folder of WORK/src matching PATTERN ("zlib-*"): unpacked
#       folder names follow the point release (libmspack-0.11alpha, ...).

fetch_debian_sources() {
  local work=$1
  shift
  mkdir -p "$work/apt/sources" "$work/apt/lists/partial" "$work/apt/cache/archives/partial" \
    "$work/src"
  # The Debian mirror this machine already uses for its binary packages.
  local mirror suite
  mirror=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\/debian\)\/\?[[:space:]]*$/\1/p' \
    /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1 || true)
  if [ -z "$mirror" ]; then
    mirror=$(sed -n 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?\([^[:space:]]*\/debian\)\/\?[[:space:]].*/\2/p' \
      /etc/apt/sources.list 2>/dev/null | head -n 1 || true)
  fi
  mirror=${mirror:-http://deb.debian.org/debian}
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  cat >"$work/apt/sources/debian-src.sources" <<SOURCES
Types: deb-src
URIs: $mirror
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  local apt_opts=(
    -o "Dir::Etc::SourceList=/dev/null"
    -o "Dir::Etc::SourceParts=$work/apt/sources"
    -o "Dir::State::Lists=$work/apt/lists"
    -o "Dir::Cache=$work/apt/cache"
    -o "APT::Sandbox::User=root"
  )
  echo "  sources of $* from $mirror $suite"
  apt-get "${apt_opts[@]}" -q update >"$work/apt-update.log" 2>&1 ||
    { cat "$work/apt-update.log" >&2; exit 1; }
  (cd "$work/src" && apt-get "${apt_opts[@]}" -q source "$@") \
    >"$work/apt-source.log" 2>&1 || { cat "$work/apt-source.log" >&2; exit 1; }
}

unpacked_source() {
  local found
  found=$(find "$1/src" -mindepth 1 -maxdepth 1 -type d -name "$2" | sort | tail -n 1)
  [ -n "$found" ] || { echo "no unpacked $2 in $1/src" >&2; exit 1; }
  echo "$found"
}
