#!/usr/bin/env bash
# The Debian package, unpacked into a scratch root: the programs start from it, the desktop
# entry validates and the account-set file type it names is the one the package registers.
set -euo pipefail
build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
deb="$(ls "$scratch"/out/hemu_*.deb)"
info="$(dpkg-deb --info "$deb")"
grep -q 'Package: hemu' <<<"$info"
grep -q 'Depends:.*libqt6sql6-sqlite' <<<"$info"
dpkg -x "$deb" "$scratch/root"
root="$scratch/root/usr"

for f in bin/hemu bin/hemu-cli bin/hemu-jetread share/hemu/userguide.html share/man/man1/hemu.1.gz share/man/man1/hemu-cli.1.gz \
         share/applications/hemu.desktop share/icons/hicolor/scalable/apps/hemu.svg share/mime/packages/hemu.xml; do
  [ -s "$root/$f" ] || { echo "missing from the package: /usr/$f"; exit 1; }
done

version="$("$root/bin/hemu-cli" --version)"
[ "$version" = "hemu-cli 2.0" ] || { echo "hemu-cli --version said: $version"; exit 1; }
# The unpacked tool does real work, not only print its version.
"$root/bin/hemu-cli" new "$scratch/set.xb"
checked="$("$root/bin/hemu-cli" check "$scratch/set.xb")"
grep -q '^integrity ok$' <<<"$checked"

desktop-file-validate "$root/share/applications/hemu.desktop"
grep -q '^Categories=Office;' "$root/share/applications/hemu.desktop"
grep -q '^Icon=hemu$' "$root/share/applications/hemu.desktop"
mime="$(sed -n 's/^MimeType=\([^;]*\);$/\1/p' "$root/share/applications/hemu.desktop")"
[ "$mime" = "application/x-hemu-accountset" ] || { echo "desktop entry names MIME type '$mime'"; exit 1; }

# The shared MIME database built from the package alone knows the type by name and content.
update-mime-database "$root/share/mime" >/dev/null 2>&1
grep -q "^$mime:\*\.xb$" "$root/share/mime/globs"
[ -f "$root/share/mime/application/x-hemu-accountset.xml" ]
grep -q "$mime" "$root/share/mime/magic"
page="$(zcat "$root/share/man/man1/hemu-cli.1.gz")"
grep -q 'import' <<<"$page"
echo "package ok: $(basename "$deb")"
