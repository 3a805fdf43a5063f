# Installs the Debian packages the project needs. Sourced by ./run and ./test.
# usage: ensure_packages PACKAGE...
ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Install them as root:  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]} ..."
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev fonts-dejavu-core
                libspng-dev libimagequant-dev libcli11-dev nlohmann-json3-dev
                libgtest-dev libbenchmark-dev)
TEST_PACKAGES=("${BUILD_PACKAGES[@]}" clang-14 libclang-rt-14-dev xvfb xauth imagemagick
               python3 python3-pil util-linux)
