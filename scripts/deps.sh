#!/usr/bin/env bash
# The one list of Debian 12 packages this project needs to build, run and test.
# Installs only what is missing; runs `apt-get update` at most once per call.
set -euo pipefail

BUILD_PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools
  qcoro-qt6-dev qtkeychain-qt6-dev
  libx11-dev libxfixes-dev libxi-dev libxtst-dev libxext-dev libxcb1-dev
  # The X server's own word on which process a window's client is (X-Resource).
  libxres-dev
  libtesseract-dev libleptonica-dev
  libcld2-dev libicu-dev
  libespeak-ng-dev libpcaudio-dev
  libqrencode-dev zlib1g-dev
  libbenchmark-dev
)
RUN_PACKAGES=(
  libqt6widgets6 libqt6network6 libqt6dbus6 libqt6concurrent6 qt6-qpa-plugins
  qt6-image-formats-plugins
  tesseract-ocr-eng tesseract-ocr-tur
  espeak-ng-data
  dict-wn
  fonts-material-design-icons-iconfont fonts-dejavu-core
  # The language picker's native names: Chinese, Japanese, Korean, Devanagari, Thai (DejaVu has the rest).
  fonts-noto-cjk fonts-lohit-deva fonts-tlwg-loma-otf
  # Pictographs in texts, such as the feedback receipt's camera.
  fonts-noto-color-emoji
  maim slop
  dbus dbus-x11 gnome-keyring
)
TEST_PACKAGES=(
  xvfb xauth openbox xdotool x11-utils imagemagick zbar-tools trayer
  # An owner that hands a big selection over quickly, whatever else the machine runs.
  xclip
  # Screen-reader walks of the windows; validation of the installed desktop entry and software-centre
  # metadata, and the scalable icon rendered as GTK desktops render it.
  at-spi2-core desktop-file-utils appstream librsvg2-bin
)

missing=()
for pkg in "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "deps: all packages present"
  exit 0
fi

SUDO=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
  else
    echo "deps: missing packages (${missing[*]}) and no sudo to install them" >&2
    exit 1
  fi
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
