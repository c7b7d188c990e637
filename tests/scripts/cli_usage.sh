#!/usr/bin/env bash
# Command-line usage: --help and --version succeed, every malformed command
# prints the usage and exits with status 2 without writing anything.
set -u
cli=$1
scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch" && cd "$scratch" || exit 1
failures=0

expect() { # expect STATUS DESCRIPTION -- COMMAND...
    local want=$1 what=$2
    shift 3
    "$@" >out.txt 2>err.txt
    local got=$?
    if [ "$got" -ne "$want" ]; then
        echo "FAIL: $what: exit $got, wanted $want"; cat err.txt; failures=$((failures + 1))
    fi
}

expect 0 "--help" -- "$cli" --help
grep -q "usage: quiltforger-cli pack" out.txt || { echo "FAIL: --help prints no usage"; failures=$((failures + 1)); }
expect 0 "--version" -- "$cli" --version
grep -q "^quiltforger-cli [0-9]" out.txt || { echo "FAIL: --version output"; failures=$((failures + 1)); }

printf 'x' > a.png
expect 2 "no arguments" -- "$cli"
grep -q "usage:" err.txt || { echo "FAIL: usage not on stderr"; failures=$((failures + 1)); }
expect 2 "unknown command" -- "$cli" squash a.png
expect 2 "pack without -o" -- "$cli" pack a.png
expect 2 "pack without images" -- "$cli" pack -o atlas.png
expect 2 "atlas without an image ending" -- "$cli" pack -o atlas.gif a.png
grep -q "atlas.gif" err.txt || { echo "FAIL: bad ending not named"; failures=$((failures + 1)); }
expect 2 "bad spacing" -- "$cli" pack --spacing -3 -o atlas.png a.png
expect 2 "spacing without a number" -- "$cli" pack -o atlas.png a.png --spacing
expect 2 "bad mode" -- "$cli" pack --mode sideways -o atlas.png a.png
expect 2 "unknown option" -- "$cli" pack --fast -o atlas.png a.png
expect 2 "unpack without description" -- "$cli" unpack
expect 2 "unpack with two descriptions" -- "$cli" unpack a.xml b.xml
expect 2 "unpack -o without folder" -- "$cli" unpack a.xml -o

if ls | grep -q -v -e '^a.png$' -e '^out.txt$' -e '^err.txt$'; then
    echo "FAIL: usage errors wrote files:"; ls; failures=$((failures + 1))
fi
exit $((failures > 0))
