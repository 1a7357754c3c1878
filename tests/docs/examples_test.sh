#!/usr/bin/env bash
# The example profiles against the texts that point to them, as installed
# (share/doc/tarvexel/): tarvexel(5) names every one, the README sections
# they cite exist, and the command each one shows runs the program a user
# has, not one in a build folder.
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
((failures == 0))
