#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages/*.txt that are
# missing. Runs apt-get only when something is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
while read -r pkg; do
  [ -z "$pkg" ] && continue
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done < <(cat scripts/packages/*.txt | sed -e 's/#.*//' -e 's/[[:space:]]//g' | sort -u)

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them (as root: apt-get install ${missing[*]}) and run again." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
