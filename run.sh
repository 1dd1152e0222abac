#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$here/build"
demo="$here/build/demo/demo.flx"
if [ -x "$here/build/src/mainwindow/tessaron-explorer" ]; then
  echo "Demo archive to open: $demo"
  exec "$here/build/src/mainwindow/tessaron-explorer"
fi
# Until the viewer exists: export the demo archive with the command-line tool.
exec "$here/build/src/cli/tessaron-export" "$demo" "$here/build/demo-export"
