#!/usr/bin/env bash
# Renders the PNG icons from the SVG (run after changing it; needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" org.corvane.Corvane.svg -o "org.corvane.Corvane-$size.png"
done
