#!/usr/bin/env bash
# Prints the share of src/'s lines that a build's tests reached, one line per layer, from the
# coverage counts a --coverage build leaves beside its objects (gcovr, from Debian).
#   bash tools/ci/coverage.sh build/asan
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/asan}
if ! command -v gcovr >/dev/null; then
  echo "coverage: gcovr is not installed; no figures" >&2
  exit 0
fi
if ! find "$build" -name '*.gcda' -print -quit | grep -q .; then
  echo "coverage: $build holds no coverage counts (built without --coverage?)" >&2
  exit 0
fi
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
gcovr --root . --filter 'src/' --json "$summary" --gcov-ignore-errors=all "$build" >/dev/null 2>&1 ||
  gcovr --root . --filter 'src/' --json "$summary" "$build" >/dev/null
python3 - "$summary" <<'PY'
import json, sys
layers = ["base", "decompress", "script", "install", "app", "uninstall", "pack", "bundle", "ui",
          "platform/host", "platform/win32", "platform", "main"]
totals = {}
for entry in json.load(open(sys.argv[1]))["files"]:
    path = entry["file"]
    if not path.startswith("src/"):
        continue
    rest = path[len("src/"):]
    layer = next((l for l in layers if rest.startswith(l + "/")), "other")
    lines = [l for l in entry["lines"] if not l.get("gcovr/noncode")]
    covered = sum(1 for l in lines if l["count"] > 0)
    t = totals.setdefault(layer, [0, 0])
    t[0] += covered
    t[1] += len(lines)
print("line coverage of src/ by the host tests:")
for layer in layers + ["other"]:
    if layer in totals and totals[layer][1]:
        c, n = totals[layer]
        print(f"  {layer + '/':18} {100.0 * c / n:5.1f}%  ({c} of {n} lines)")
PY
