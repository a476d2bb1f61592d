#!/usr/bin/env bash
# Runs the start-up tests as an ordinary (non-root) user, to check that the embedded engine works
# without root rights: creating Dudoz.fdb, starting, the second-instance and damaged-file messages.
# Needs root to create the user; run after ./test.sh has built the tests.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
user=${1:-gerundocheck}
id "$user" >/dev/null 2>&1 || useradd -m "$user"
dir=$(mktemp -d)
cp "$here/build/tests/app_test_mainwindow" "$here/build/tests/core_test_database" "$here/build/gerundo-mkdb" "$dir/"
chown -R "$user" "$dir"
cd "$dir"
runuser -u "$user" -- env -u FIREBIRD_LOCK HOME="$(getent passwd "$user" | cut -d: -f6)" ./gerundo-mkdb Dudoz.fdb
for t in app_test_mainwindow core_test_database; do
  runuser -u "$user" -- env -u FIREBIRD_LOCK QT_QPA_PLATFORM=offscreen HOME="$(getent passwd "$user" | cut -d: -f6)" "./$t"
done
rm -rf "$dir"
