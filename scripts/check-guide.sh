#!/usr/bin/env bash
# check-guide.sh [BINDIR]
# Runs the command examples of the Japanese guide (docs/ja/README.md) and
# compares what they print with what the guide shows, so that the guide cannot
# drift from the program. karvonel-convert comes from BINDIR when given, else
# from PATH.
#
# The examples are the ```console blocks: a line "$ COMMAND" is run, the lines
# below it up to the next "$ " are its expected output (standard output and
# standard error together, CR LF read as LF). The blocks run one after the
# other in one scratch folder that starts with a copy of examples/points.csv.
# A block that starts with "$ cat NAME" while the folder has no NAME yet shows
# an input file of the example: NAME is first written with the lines shown.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
guide=$root/docs/ja/README.md
if (($#)); then
  PATH=$(realpath "$1"):$PATH
fi
command -v karvonel-convert >/dev/null || { echo "check-guide: no karvonel-convert in PATH" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
cp examples/points.csv "$work/run/"

# One script and one expected output per block: $work/block-N.sh, block-N.expected.
awk -v dir="$work" '
  function flush(   name, i) {
    if (cmd == "") return
    if (first && cmd ~ /^cat [^ ]+$/) {
      name = substr(cmd, 5)
      printf "[[ -e %s ]] || cat >%s <<'\''GUIDE_EOF'\''\n", name, name > script
      for (i = 1; i <= n; i++) print lines[i] > script
      print "GUIDE_EOF" > script
    }
    print cmd > script
    for (i = 1; i <= n; i++) print lines[i] > expected
    cmd = ""; n = 0; first = 0
  }
  /^```console$/ { block++; inside = 1; script = dir "/block-" block ".sh"
                   expected = dir "/block-" block ".expected"
                   printf "" > expected; first = 1; next }
  inside && /^```$/ { flush(); inside = 0; close(script); close(expected); next }
  inside && /^\$ / { flush(); cmd = substr($0, 3); commands++; next }
  inside { lines[++n] = $0 }
  END { print block + 0, commands + 0 > (dir "/count") }
' "$guide"
read -r blocks commands <"$work/count"
if ((blocks == 0 || commands == 0)); then
  echo "check-guide: no console examples found in $guide" >&2
  exit 1
fi

failed=0
for ((i = 1; i <= blocks; i++)); do
  (cd "$work/run" && LC_ALL=C.UTF-8 bash "$work/block-$i.sh" 2>&1 | tr -d '\r') >"$work/block-$i.actual" || true
  if ! diff -u --label "guide (example $i)" --label "program" \
      "$work/block-$i.expected" "$work/block-$i.actual"; then
    echo "check-guide: example $i of docs/ja/README.md differs from what the program prints:" >&2
    sed 's/^/    /' "$work/block-$i.sh" >&2
    failed=1
  fi
done
if ((failed)); then
  exit 1
fi
echo "check-guide: all $commands commands of the $blocks examples print what the guide shows"
