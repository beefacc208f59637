#!/usr/bin/env bash
# Renders packaging/jxc.svg into the PNG sizes the desktop wants (packaging/icons/NxN/jxc.png).
# The PNGs are kept in the tree so that a build needs no SVG renderer; run this after changing
# the SVG. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || { echo "render-icons: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2; exit 1; }
for n in 16 32 48 64 128 256; do
  mkdir -p "packaging/icons/${n}x${n}"
  rsvg-convert --width "$n" --height "$n" --format png --output "packaging/icons/${n}x${n}/jxc.png" packaging/jxc.svg
done
echo "render-icons: packaging/icons/{16,32,48,64,128,256}x*/jxc.png"
