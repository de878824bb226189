#!/bin/sh
# Installs what is missing, builds, and renders the default example to an image.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
scripts/with-display.sh build/qvhost render --code examples/aurora.shadertoy.glsl --language shadertoy \
    --time 2 --out build/example.png
echo "The example image is $(pwd)/build/example.png"
