#!/usr/bin/env bash
# Installs what is missing, builds a release and starts QuorZub on the current X display.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUOR_DEVELOPMENT=OFF -DQUOR_BUILD_TESTS=OFF
# CMake 3.25 does not re-run moc when a globbed folder gains a Q_OBJECT header in an existing
# build tree; dropping the autogen stamps makes it rescan (it only regenerates what changed).
find "$build" -path '*_autogen/timestamp' -delete 2>/dev/null || true
cmake --build "$build"
if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: no X display (DISPLAY is not set). Start QuorZub from an X11 or XWayland desktop session." >&2
  echo "run.sh: X ekranı yok (DISPLAY tanımlı değil). QuorZub'u bir X11 ya da XWayland masaüstü oturumunda başlatın." >&2
  exit 1
fi
export QT_QPA_PLATFORM=xcb
exec "$build/bin/quorzub" "$@"
