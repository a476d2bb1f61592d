#!/usr/bin/env bash
# Builds Gerundo and starts it in its working directory (default: ./workdir), creating an empty
# Dudoz.fdb there when none exists and installing the report templates (a template there that is
# newer than the program's own, say one edited on site, is kept).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
workdir=${1:-"$here/workdir"}
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target gerundo gerundo-mkdb
mkdir -p "$workdir"
cd "$workdir"
# A desk on a server (GERUNDO_DATABASE set) opens the database made there; none is made here.
[ -n "${GERUNDO_DATABASE:-}" ] || [ -f Dudoz.fdb ] || "$here/build/gerundo-mkdb" Dudoz.fdb
cp -u "$here"/templates/*.frf .
exec "$here/build/gerundo"
