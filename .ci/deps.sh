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

# Qt6Gui's CMake configuration looks for the OpenGL headers (libgl-dev);
# libspng and libimagequant ship pkg-config files, no CMake configuration.
# Qt's fonts come with it: fontconfig depends on a font package.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev
                libspng-dev libimagequant-dev libcli11-dev nlohmann-json3-dev
                libgtest-dev libbenchmark-dev)
# clang's libFuzzer runtime is in libclang-rt-14-dev; xvfb-run needs xauth,
# which xvfb only recommends. ImageMagick and Pillow are the tests' second
# readers; lintian checks the Debian package that cpack builds (its
# dpkg-shlibdeps comes with lintian's dpkg-dev). The tests' prlimit and
# setpriv come from util-linux, which every Debian system has. GIMP and
# GraphicsMagick are the editors of the round-trip test, which opens and
# saves exported slots with them (GIMP in batch mode, no display).
TEST_PACKAGES=("${BUILD_PACKAGES[@]}" clang-14 libclang-rt-14-dev xvfb xauth imagemagick
               python3 python3-pil lintian gimp graphicsmagick)
# packaging/windows/build.sh: the MinGW-w64 cross compiler (the -posix one has
# std::thread), zlib for it, Wine to run the tests, dpkg-dev for apt-get source.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine
                  dpkg-dev libcli11-dev nlohmann-json3-dev googletest)
