#!/usr/bin/env bash
# Builds Gerundo and starts it in its working directory (default: ./workdir), creating an empty
# Dudoz.fdb there when none exists.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
workdir=${1:-"$here/workdir"}
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target gerundo gerundo-mkdb
mkdir -p "$workdir"
cd "$workdir"
[ -f Dudoz.fdb ] || "$here/build/gerundo-mkdb" Dudoz.fdb
exec "$here/build/gerundo"
