#!/bin/sh
# `make demo`: the sweep on the example drawings with the default library's first semitrailer.
# Writes out/<example>.dxf, .svg and .json and prints each run's turning report and its outputs.
set -eu
BUILD=${1:-build}
CLI="$BUILD/bin/velrok-cli"
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/out"
mkdir -p "$OUT"

# The first vehicle of configuration 2 (Semi-Trailer) in the default library.
RECORD=$("$CLI" vehicles --json | python3 -c '
import json, sys
semis = [v for v in json.load(sys.stdin) if v["type"] == 2]
if not semis:
    sys.exit("no semitrailer in the default library")
print(semis[0]["record"])
')
echo "Vehicle: $("$CLI" vehicle "$RECORD" --json | python3 -c 'import json, sys; print(json.load(sys.stdin)["fields"]["txt_Name"])') (record #$RECORD)"

status=0
for example in roundabout junction; do
    echo
    echo "== $example =="
    code=0
    "$CLI" sweep "$ROOT/examples/$example.dxf" --vehicle "#$RECORD" --path layer:VehiclePath --envelope --kerbs Kerb \
        --out "$OUT/$example.dxf" --svg "$OUT/$example.svg" --json "$OUT/$example.json" || code=$?
    case $code in
        0) ;;
        3) echo "(the run stopped at a limit; the outputs show where)" ;;
        4) echo "(the vehicle meets kerbs; out/$example.json lists them, level Velrok_Conflicts shows them)" ;;
        *) status=$code ;;
    esac
    for f in "$OUT/$example.dxf" "$OUT/$example.svg" "$OUT/$example.json"; do
        [ -f "$f" ] && echo "  wrote $f"
    done
done
exit $status
