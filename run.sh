#!/usr/bin/env bash
# Installs what is missing, builds a release and starts QuorZub on the current X display.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUOR_DEVELOPMENT=OFF -DQUOR_BUILD_TESTS=OFF
cmake --build "$build"
if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: no X display (DISPLAY is not set). Start QuorZub from an X11 or XWayland desktop session." >&2
  echo "run.sh: X ekranı yok (DISPLAY tanımlı değil). QuorZub'u bir X11 ya da XWayland masaüstü oturumunda başlatın." >&2
  exit 1
fi
export QT_QPA_PLATFORM=xcb
exec "$build/bin/quorzub" "$@"
