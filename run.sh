#!/usr/bin/env bash
# Installs what is missing, builds Skywell and starts it. Arguments pass
# through, e.g. ./run.sh --headless
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
mkdir -p build
echo "Building Skywell (the first build takes a few minutes)..."
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYWELL_BUILD_TESTS=OFF
exec build/skywell "$@"
