#!/bin/sh
# Renders docs/formaldehyde_frontier.png from velko's own Molden file: the HOMO and
# the LUMO of formaldehyde in STO-3G side by side. Needs Jmol (Debian jmol or
# libjmol-java) and Pillow (python3-pil). Run from the top of the source tree:
#   sh docs/formaldehyde_frontier.sh [path to velko, default ./build/velko]
set -e
velko=$(realpath "${1:-./build/velko}")
docs=$(realpath docs)
work=$(mktemp -d)
cp examples/formaldehyde.in "$work/"
cd "$work"
"$velko" --diis --molden formaldehyde.molden formaldehyde.in > /dev/null
java -Djava.awt.headless=true -jar /usr/share/java/JmolData.jar -n -o -i -s "$docs/formaldehyde_frontier.spt" > /dev/null
/usr/bin/python3 - "$docs/formaldehyde_frontier.png" <<'PY'
import sys
from PIL import Image
homo, lumo = Image.open("formaldehyde_homo.png"), Image.open("formaldehyde_lumo.png")
both = Image.new("RGB", (homo.width + lumo.width, max(homo.height, lumo.height)), "white")
both.paste(homo, (0, 0))
both.paste(lumo, (homo.width, 0))
both.save(sys.argv[1])
PY
cd / && rm -rf "$work"
