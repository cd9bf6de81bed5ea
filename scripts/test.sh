#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
build_all
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
