#!/usr/bin/env bash
# Installs what is missing, builds Quirel and starts it. Without a path it opens the local
# database Memo.qrl in the documents folder (Quirel offers to create it when it is missing).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
if [ $# -eq 0 ]; then
  # xdg-user-dir answers the home folder itself when no documents folder is set up.
  documents=$(xdg-user-dir DOCUMENTS 2>/dev/null || true)
  if [ -z "$documents" ] || [ "$documents" = "$HOME" ]; then
    documents="$HOME/Documents"
  fi
  mkdir -p "$documents"
  set -- "$documents/Memo.qrl"
fi
exec build/src/quirel "$@"
