#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks what it holds,
# unpacks it into a temporary folder (no system install) and runs the
# unpacked program on a sample, against the figures worked out by hand.
#   package_test.sh BUILD_DIR
set -euo pipefail
for tool in dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev file:file gzip:gzip; do
  command -v "${tool%%:*}" > /dev/null ||
    { echo "skipped: ${tool%%:*} is not installed (Debian: ${tool#*:})"; exit 77; }
done
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
for path in ./usr/bin/vorlane ./usr/share/man/man1/vorlane.1.gz ./usr/share/doc/vorlane/README.md \
            ./usr/share/doc/vorlane/copyright ./usr/share/doc/vorlane/changelog.gz; do
  grep -q " $path\$" <<< "$listing" || { echo "missing from the package: $path"; exit 1; }
done
# Every picture the installed README shows is where its link points.
for picture in $(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/vorlane/README.md | grep -o '](docs/[^)]*)' |
                 tr -d '()]'); do
  grep -q " ./usr/share/doc/vorlane/$picture\$" <<< "$listing" || { echo "the README's picture is not at $picture"; exit 1; }
done
for field in "Section: math" "Package: vorlane" "Maintainer: " "Description: " "Depends:.*libc6"; do
  dpkg-deb -f "$deb" | grep -q "^$field" || { echo "package metadata lacks $field"; exit 1; }
done

# The program needs the C library alone at run time (a sanitizer build
# brings its runtimes, and theirs).
if ! grep -q '^VORLANE_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  depends=$(dpkg-deb -f "$deb" Depends)
  [[ $depends =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] || { echo "the package depends on more than libc6: $depends"; exit 1; }
fi

dpkg-deb -x "$deb" "$work/root"
# The changelog's newest entry is this version.
version=$(dpkg-deb -f "$deb" Version)
zcat "$work/root/usr/share/doc/vorlane/changelog.gz" | head -1 | grep -qF "vorlane ($version) " ||
  { echo "the changelog does not start with version $version"; exit 1; }
# Compressed reproducibly: no file name and no time stamp in the header.
for page in "$work"/root/usr/share/man/man1/vorlane.1.gz "$work"/root/usr/share/doc/vorlane/changelog.gz; do
  header=$(od -An -tx1 -N10 "$page" | tr -d ' \n')
  [[ $header == 1f8b0800000000000203 ]] || { echo "gzip header of $(basename "$page") is $header"; exit 1; }
done
if file "$work/root/usr/bin/vorlane" | grep -q ELF; then
  ! objdump -h "$work/root/usr/bin/vorlane" | grep -q '\.comment' || { echo "the program keeps its .comment"; exit 1; }
fi
printf '100 20\n' | "$work/root/usr/bin/vorlane" > "$work/transcript.txt"
for line in "DD coil height = 100.000000 " "Offset width  = 10.000000 " "L1 = 157.079633 " "L2 = 80.000000 " \
            "L3 = 15.707963 " "L4 = 15.707963 " "Total length of all sides = 268.495559 " "Result: 85.464791 "; do
  grep -qxF "$line" "$work/transcript.txt" || { echo "the unpacked program did not print: $line"; exit 1; }
done
test "$(grep -c 'Enter DD coil height : ' "$work/transcript.txt")" = 2
echo "package $(basename "$deb") holds and runs the calculator"
