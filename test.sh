#!/usr/bin/env bash
# Builds Gerundo and runs every test (headless).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)"
cd "$here/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
