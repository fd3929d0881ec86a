#!/bin/bash
# Renders the drawing window after a run of the roundabout example, both result diagrams and the
# output style form to PNG under out/screenshots/ with Qt's offscreen platform.
# Usage: tools/screenshots-view.sh BUILD_FOLDER
set -euo pipefail
build="$(realpath "${1:-build}")"
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
mkdir -p out/screenshots
"$build/bin/velrok-view-screenshots" out/screenshots
