#!/usr/bin/env bash
# Builds the .deb with cpack from an existing build, unpacks it with dpkg-deb -x into a scratch
# root, checks its contents and metadata, and starts the installed program headless on the
# simulated bench. The unpacked bin folder is read-only (and the program runs as "nobody" when
# the test runs as root, who may write anywhere), so the program must use the user's folders.
set -euo pipefail
build=${1:?usage: package_test.sh BUILD_DIR}
scratch=$(mktemp -d /tmp/zk_package_XXXXXX)
chmod 0755 "$scratch"
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
debs=("$scratch"/out/zenkar-pro_*.deb)
[ -f "${debs[0]}" ] || fail "no zenkar-pro_*.deb in $(ls "$scratch/out")"
deb=${debs[0]}

# Metadata: name, the declared dependencies, the maintainer script.
control=$(dpkg-deb --field "$deb")
echo "$control"
for field in "Package: zenkar-pro" "Section: science" "Architecture: $(dpkg --print-architecture)"; do
  grep -qx "$field" <<<"$control" || fail "control lacks '$field'"
done
depends=$(dpkg-deb --field "$deb" Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 fonts-dejavu-core fonts-liberation; do
  grep -qxF "$dep" <<<"$names" || fail "Depends lacks $dep: $depends"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qx './postinst' || fail "no postinst"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/zenkar-pro usr/bin/zenkar-sim \
         usr/share/applications/zenkar-pro.desktop \
         usr/share/icons/hicolor/scalable/apps/zenkar-pro.svg \
         usr/lib/udev/rules.d/99-zenkar-prologix.rules \
         usr/share/doc/zenkar-pro/user-guide.md usr/share/doc/zenkar-pro/README.md; do
  [ -f "$root/$f" ] || fail "$f not installed"
done
[ -x "$root/usr/bin/zenkar-pro" ] || fail "zenkar-pro not executable"
# Every picture the guide shows is installed next to it.
for img in $(grep -o 'images/[A-Za-z0-9_.-]*\.png' "$root/usr/share/doc/zenkar-pro/user-guide.md" | sort -u); do
  [ -f "$root/usr/share/doc/zenkar-pro/$img" ] || fail "guide picture $img not installed"
done
grep -q '^Exec=zenkar-pro$' "$root/usr/share/applications/zenkar-pro.desktop" || fail "Exec"
grep -q '^Icon=zenkar-pro$' "$root/usr/share/applications/zenkar-pro.desktop" || fail "Icon"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/zenkar-pro.desktop" || fail "desktop entry"
else
  echo "desktop-file-validate missing: desktop entry not validated"
fi
python3 -c 'import sys, xml.dom.minidom as m; d = m.parse(sys.argv[1]); assert d.documentElement.tagName == "svg"' \
  "$root/usr/share/icons/hicolor/scalable/apps/zenkar-pro.svg" || fail "icon is no SVG"
cmp -s "$root/usr/lib/udev/rules.d/99-zenkar-prologix.rules" \
  "$(dirname "$0")/../../resources/99-zenkar-prologix.rules" || fail "udev rule differs"

"$root/usr/bin/zenkar-sim" --help | grep -q '^usage: zenkar-sim' || fail "zenkar-sim --help"

# The installed program, headless on the simulated bench.
chmod 0555 "$root/usr/bin"
mkdir -p "$scratch/home" "$scratch/config" "$scratch/data"
run=()
if [ "$(id -u)" -eq 0 ]; then
  chown 65534:65534 "$scratch/home" "$scratch/config" "$scratch/data"
  run=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
set +e
(cd "$scratch/home" &&
  env HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
    QT_QPA_PLATFORM=offscreen "${run[@]}" "$root/usr/bin/zenkar-pro" --simulate --headless --cycles 2 \
    >"$scratch/out.txt" 2>"$scratch/err.txt")
rc=$?
set -e
[ $rc -eq 0 ] || { cat "$scratch/out.txt" "$scratch/err.txt"; fail "installed program ended with $rc"; }
out="$scratch/out.txt"
frames=$(grep -c '░ Instruments ░' "$out" || true)
[ "$frames" -eq 2 ] || { cat "$out"; fail "$frames status frames, not 2"; }
grep -q 'MODEL 2401' "$out" || fail "the search did not find the SourceMeter"
expected="Data files go to $scratch/data/zenkar-pro/Userdata, settings are read from $scratch/config/zenkar-pro/zenkar-pro.ini (the user's folders, the program is installed)"
grep -qxF "$expected" "$out" || { grep 'Data files' "$out"; fail "folder line"; }
[ -f "$scratch/data/zenkar-pro/Dll/99-zenkar-prologix.rules" ] || fail "Dll not in the data folder"
[ -d "$scratch/config/zenkar-pro" ] || fail "no settings folder"
left=$(ls "$root/usr/bin" | tr '\n' ' ')
[ "$left" = "zenkar-pro zenkar-sim " ] || fail "files beside the installed program: $left"
echo "package test passed: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"
