#!/usr/bin/env bash
# Installs what is missing, builds Quirel and starts it; without a path it opens the local
# database Memo.qrl in the documents folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/src/quirel "$@"
