#!/bin/bash
# Renders the desktop program's forms to PNG under out/screenshots/ with Qt's offscreen platform:
# the main window (each tab), the general settings, about and splash forms, and the schematics.
# Usage: tools/screenshots.sh BUILD_FOLDER
set -euo pipefail
build="$(realpath "${1:-build}")"
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
mkdir -p out/screenshots
"$build/bin/velrok-screenshots" out/screenshots "$build/bin/DefaultVehicles.vdt"
tools/screenshots-view.sh "$build"
