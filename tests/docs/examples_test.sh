#!/usr/bin/env bash
# The example profiles against the texts that point to them, as installed
# (share/doc/tarvexel/): tarvexel(5) names every one, the README sections
# they cite exist, and the command each one shows runs the program a user
# has, not one in a build folder. Then the README's links and the manual
# pages it names.
#
#   examples_test.sh SOURCE
set -uo pipefail
cd "$1" || exit 1

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

examples_part=$(sed -n '/^# EXAMPLES/,/^# SEE ALSO/p' man/tarvexel.5.scd)
for example in examples/*.ini; do
  name=${example#examples/}
  grep -q "\*$name\*" <<<"$examples_part" || fail "tarvexel(5) EXAMPLES does not name $name"
  while read -r section; do
    grep -qx "## $section" README.md || fail "$name cites README section \"$section\", which is not there"
  done < <(grep -o 'README[^,]*, "[^"]*"' "$example" | sed 's/.*"\(.*\)"/\1/')
  command=$(grep -m1 '^#   .*tarvexel' "$example")
  [[ $command != *build* ]] || fail "$name shows a build folder's program: $command"
done

# The README sends readers to the other documents: each file it links to is
# in the tree, each #anchor is one of its headings, and each of our manual
# pages it names, name(N), is a page in man/.
for document in README.md HACKING.md; do
  while read -r target; do
    if [[ $target == \#* ]]; then
      anchor=${target#\#}
      grep '^## ' "$document" | sed 's/^## //' | tr 'A-Z ' 'a-z-' | tr -cd 'a-z0-9\n-' |
        grep -qx -- "$anchor" || fail "$document links to #$anchor, which is no heading of it"
    else
      [[ -e ${target%%#*} ]] || fail "$document links to $target, which is not in the tree"
    fi
  done < <(grep -o '](\([^)]*\))' "$document" | sed 's/^](\(.*\))$/\1/' | grep -v '^[a-z]*://')
done
while read -r page; do
  name=${page%(*} section=${page#*(}
  [[ -f man/$name.${section%)}.scd ]] || fail "README.md names $page, which is not in man/"
done < <(grep -o 'tarvexel[a-z-]*([0-9])' README.md | sort -u)
((failures == 0))
