#!/usr/bin/env bash
# Installs the build into a temporary root, as `cmake --install` does for a person, and checks what
# they get: the installed programs run and find their data, the help pages are the ones the built
# program opens, the menu entry and the metadata pass
# the desktop's validators, the manual pages format cleanly and list what the programs accept, and
# the Debian package passes lintian and holds exactly what the install lays out.
#   install-test.sh BUILD_DIR VERSION
set -euo pipefail
build=$(realpath "$1")
version=$2
work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT
root=$work/root
share=$root/usr/share
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Compares two lists given as text; prints the difference when they differ.
same_list() {
  local what=$1 expected=$2 actual=$3
  if [[ "$expected" != "$actual" ]]; then
    fail "$what differ"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
  fi
}

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
# A bare environment: no display, no desktop, no session bus.
bare=(env -i "HOME=$work/home" "PATH=$PATH" "LANG=C.UTF-8")

check_programs() {
  local output
  output=$("${bare[@]}" "$root/usr/bin/velloria" --version)
  [[ "$output" == "velloria $version" ]] || fail "installed velloria --version says '$output'"
  output=$("${bare[@]}" "$root/usr/bin/velloria-desktop" detect)
  [[ "$output" == "none" ]] || fail "installed velloria-desktop detect says '$output'"
  # Without a display: the viewer draws offscreen.
  mkdir "$work/empty"
  output=$("${bare[@]}" "$root/usr/bin/velloria-thumbnails" "$work/empty" 100 80 "$work/empty.png")
  [[ "$output" == "$work/empty.png: 100 x 80, 0 of 0 pictures in view" ]] ||
    fail "installed velloria-thumbnails says '$output'"
  # The data folder is share/velloria beside bin/ once installed, the program's folder in a build.
  output=$("${bare[@]}" "$root/usr/bin/velloria" --help | tail -n 1)
  [[ "$output" == "Help pages: $share/velloria/help" ]] || fail "installed velloria: '$output'"
  output=$("${bare[@]}" "$build/product/velloria" --help | tail -n 1)
  [[ "$output" == "Help pages: $build/product/help" ]] || fail "built velloria: '$output'"
}

check_data_files() {
  # Hints too: an entry with no main category lands in the menu's catch-all section.
  local report
  report=$(desktop-file-validate "$share/applications/com.ornwick.Velloria.desktop" \
    "$share/velloria/velloria-restore.desktop" 2>&1) || true
  [[ -z "$report" ]] || fail "desktop-file-validate: $report"
  appstreamcli validate --no-net --strict "$share/metainfo/com.ornwick.Velloria.metainfo.xml" \
    >/dev/null || fail "appstreamcli validate"
  grep -q "<release version=\"$version\"" "$share/metainfo/com.ornwick.Velloria.metainfo.xml" ||
    fail "the metadata does not name release $version"
  local size
  for size in 16 32 48 64 128 256; do
    file "$share/icons/hicolor/${size}x${size}/apps/com.ornwick.Velloria.png" |
      grep -q "PNG image data, $size x $size," || fail "icon ${size}x${size} is not that size"
  done
}

check_help_pages() {
  local built=$build/product/help installed=$share/velloria/help page
  [[ -f "$installed/index.html" ]] || fail "no help contents page in $installed"
  same_list "built and installed help pages" "$(ls "$built")" "$(ls "$installed" 2>/dev/null)"
  for page in "$built"/*; do
    cmp -s "$page" "$installed/${page##*/}" || fail "installed help page ${page##*/} differs"
  done
}

# The items of a manual page section: what each .TP paragraph's tag names, quoted text left out.
man_items() {
  zcat "$1" | awk -v section="$2" '/^\.SH/ { current = $2 } current == section && tag { print }
    { tag = ($0 == ".TP") }' | sed -E 's/^\.[A-Z]+ //; s/"[^"]*"//g; s/\\-/-/g' | tr -s ' ' '\n' |
    sed '/^$/d' | sort
}

check_manual_pages() {
  local page warnings
  for page in velloria velloria-desktop velloria-picture velloria-thumbnails velloria-volumes; do
    warnings=$(zcat "$share/man/man1/$page.1.gz" | groff -ww -man -Tutf8 -z 2>&1)
    [[ -z "$warnings" ]] || fail "$page.1 formats with warnings: $warnings"
  done
  # velloria's options as its --help lists them ("  -noconfig, -nc   start ...").
  local help
  help=$("$root/usr/bin/velloria" --help | awk '/^  -/ { sub(/^  /, ""); sub(/  .*/, "");
    gsub(/, /, "\n"); print }' | sort)
  same_list "velloria's --help and manual page options" "$help" \
    "$(man_items "$share/man/man1/velloria.1.gz" OPTIONS)"
  # The tools' commands as their usage line lists them ("usage: NAME a | b FILE | c").
  local tool usage
  for tool in velloria-desktop velloria-picture; do
    usage=$("$root/usr/bin/$tool" 2>&1 >/dev/null | sed -n "s/^usage: $tool //p" |
      sed 's/ | /\n/g' | awk '{ print $1 }' | sort) || true
    same_list "$tool's usage and manual page commands" "$usage" \
      "$(man_items "$share/man/man1/$tool.1.gz" COMMANDS)"
  done
}

# Every entry of a tree or a package as an absolute path, folders included, sorted.
installed_paths() { (cd "$root" && find . -mindepth 1) | sed 's|^\.||' | sort; }
package_paths() {
  dpkg-deb -c "$1" | awk '{ print $6 }' | sed -E 's|^\./||; s|/$||; /^$/d; s|^|/|' | sort
}

check_package() {
  cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
  local deb=$work/package/velloria_${version}-1_$(dpkg --print-architecture).deb
  [[ -f "$deb" ]] || { fail "cpack made no $deb"; return; }
  lintian --allow-root --fail-on error "$deb" >&2 || fail "lintian finds errors"
  same_list "installed files and package files" "$(installed_paths)" "$(package_paths "$deb")"
  # Stripping keeps the section the About dialog reads the version information from.
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/package" ./usr/bin/velloria
  # (grep reads all of it: readelf cut short by a pipe would count as a failure.)
  readelf -S "$work/package/usr/bin/velloria" | grep '\.lxversion' >/dev/null ||
    fail "the packaged velloria lost its version information"
  dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" ||
    fail "the package's dependencies were not worked out from the binaries"
  local depends library
  depends=$(dpkg-deb -f "$deb" Depends)
  # The format libraries come the same way; a new format's library belongs in this list.
  for library in libjpeg62-turbo libpng16-16 libwebp7 libwebpdemux2 libtiff6 librsvg2-2 libjxl0.7 \
    libavif15 libheif1; do
    grep -q "\b$library\b" <<<"$depends" || fail "the package does not depend on $library"
  done
  zcat "$share/doc/velloria/changelog.Debian.gz" | head -n 1 | grep -qF "velloria ($version-1)" ||
    fail "changelog.Debian does not start with version $version-1"
}

check_programs
check_data_files
check_help_pages
check_manual_pages
check_package
if ((failures > 0)); then
  echo "install-test: $failures check(s) failed" >&2
  exit 1
fi
echo "install-test: every check passed"
