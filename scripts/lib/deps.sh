# Installs the Debian packages that building and testing need, only when some are missing.
# Sourced by scripts/test and scripts/demo.

TARSIL_PACKAGES=(
  cmake make
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-tools
  googletest
  clang lld llvm clang-tidy cppcheck
  wine wine64
  xvfb xauth
  fonts-wine fonts-liberation fonts-dejavu-extra
  osslsigncode openssl python3 zip unzip git
  tesseract-ocr tesseract-ocr-eng nlohmann-json3-dev
  # The models scripts/fit-word-errors reads the truth pages with: Fraktur, and deu and frk
  # for the second reading.
  tesseract-ocr-script-frak tesseract-ocr-deu tesseract-ocr-frk
  libxml2-utils ocrmypdf poppler-utils
  # The team store's server for the tests, and the ODBC path to it: Wine's odbc32 loads
  # unixODBC's libodbc.so.2 (libodbc2), which loads Debian's PostgreSQL driver.
  postgresql libodbc2 unixodbc odbc-postgresql
)

tarsil_install_deps() {
  local missing=() pkg
  for pkg in "${TARSIL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
}
