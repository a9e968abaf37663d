#!/usr/bin/env bash
# Builds everything, packs the sample product and installs it into a fresh machine folder.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "The installer is not built yet." >&2
exit 1
