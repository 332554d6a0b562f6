#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks what it holds,
# unpacks it into a temporary folder (no system install) and runs the
# unpacked program on a sample, against the figures worked out by hand.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/vorlane_*_*.deb)
case $(basename "$deb") in
  vorlane_[0-9]*.[0-9]*.[0-9]*_*.deb) ;;
  *) echo "unexpected package name: $deb"; exit 1 ;;
esac

listing=$(dpkg-deb -c "$deb")
for path in ./usr/bin/vorlane ./usr/share/man/man1/vorlane.1 ./usr/share/doc/vorlane/README.md \
            ./usr/share/doc/vorlane/LICENSE ./usr/share/doc/vorlane/CHANGELOG.md; do
  grep -q " $path\$" <<< "$listing" || { echo "missing from the package: $path"; exit 1; }
done
for field in "Section: math" "Package: vorlane" "Maintainer: " "Description: " "Depends:.*libc6"; do
  dpkg-deb -f "$deb" | grep -q "^$field" || { echo "package metadata lacks $field"; exit 1; }
done

dpkg-deb -x "$deb" "$work/root"
printf '100 20\n' | "$work/root/usr/bin/vorlane" > "$work/transcript.txt"
for line in "DD coil height = 100.000000 " "Offset width  = 10.000000 " "L1 = 157.079633 " "L2 = 80.000000 " \
            "L3 = 15.707963 " "L4 = 15.707963 " "Total length of all sides = 268.495559 " "Result: 85.464791 "; do
  grep -qxF "$line" "$work/transcript.txt" || { echo "the unpacked program did not print: $line"; exit 1; }
done
test "$(grep -c 'Enter DD coil height : ' "$work/transcript.txt")" = 2
echo "package $(basename "$deb") holds and runs the calculator"
