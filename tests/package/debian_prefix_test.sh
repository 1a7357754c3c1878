#!/usr/bin/env bash
# The Debian package from a build folder configured for installs by hand
# (prefix /usr/local, the default): cpack must still make a package that
# installs under /usr, with desktop files that name /usr/bin.
#
#   debian_prefix_test.sh BUILD
#
# The folder's own prefix does not matter: cpack is told /usr/local, as the
# default prefix tells it. Exit status 77 means skipped (no dpkg tools).
set -uo pipefail
readonly build=$1

for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

(cd "$build" && cpack -G DEB -B "$out" -D CPACK_INSTALL_PREFIX=/usr/local >"$out/cpack.log" 2>&1) ||
  { fail "cpack failed: $(tail -n 5 "$out/cpack.log")"; exit 1; }
debs=("$out"/tarvexel_*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || { fail "no package made"; exit 1; }

paths=$(dpkg-deb -c "${debs[0]}" | awk '{ print $6 }')
elsewhere=$(grep -v -e '^\./$' -e '^\./usr/$' -e '^\./usr/\(bin\|share\)/' \
  -e '^\./usr/libexec/\(tarvexel/\(select-gnome-build\)\?\)\?$' <<<"$paths")
[[ -z $elsewhere ]] ||
  fail "installs outside /usr/bin, /usr/share and /usr/libexec/tarvexel: $(head -n 3 <<<"$elsewhere")"
for program in tarvexel tarvexel-inspect; do
  grep -qx "\./usr/bin/$program" <<<"$paths" || fail "/usr/bin/$program is missing"
  dpkg-deb --fsys-tarfile "${debs[0]}" | tar -xOf - "./usr/share/applications/$program.desktop" |
    grep -qx "Exec=\"/usr/bin/$program\"" || fail "$program.desktop does not name /usr/bin/$program"
done
# Every manual page the source holds (man/NAME.SECTION.scd) is built and
# installed where man looks for it: a page added without its install line
# would be missing from the package.
source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
pages=("$source"/man/*.scd)
[[ -f ${pages[0]} ]] || fail "no manual pages found in $source/man"
for page in "${pages[@]}"; do
  name=$(basename "$page" .scd)
  grep -qx "\./usr/share/man/man${name##*.}/$name\.gz" <<<"$paths" ||
    fail "the manual page $name is not installed as /usr/share/man/man${name##*.}/$name.gz"
done
((failures == 0))
