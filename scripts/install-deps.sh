#!/usr/bin/env bash
# Installs the Debian packages that building and testing marovel need, and
# nothing when they are all present. Needs root when something is missing.
set -euo pipefail

packages=(cmake make g++ libwxgtk3.2-dev libexpat1-dev googletest libgtest-dev
          libbenchmark-dev "$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
