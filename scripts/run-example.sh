#!/bin/sh
# Installs what is missing, builds, and runs the main job on the built plug-in.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
scripts/with-display.sh build/qvhost info build/Quorvel.aex
