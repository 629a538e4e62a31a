#!/usr/bin/env bash
# Runs vtxhost over the hostile corpus: every line of cases.txt names the exit status
# expected, the vtxhost arguments and a text the output (standard output and error
# together) must contain. The patches of patches/ are run from a scratch folder that also
# holds the built module and the inputs made here: damaged modules, a deeply nested
# patch, an oversized sparse file, a folder.
#   run.sh VTXHOST MODULE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
vtxhost=$1 module=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here"/patches/* "$work"/
cp "$module" "$work/libBrennick2010.so"
cd "$work"
head -c 20000 libBrennick2010.so > truncated.so
: > empty.so
head -c 4096 /dev/urandom | tr '\177' 'x' | sed '1s/^/garbage /' > garbage.so
mkdir folder.so folder.json
mkfifo fifo.json
head -c 100000 /dev/zero | tr '\0' '[' > deep.json
truncate -s 300M big.json
# A values text nested 100 000 deep inside a patch that is itself shallow.
{ printf '{"name":"deep-values","blocks":[{"name":"s","class":"sequence_source","parameters":{"values":"'
  head -c 100000 /dev/zero | tr '\0' '['
  head -c 100000 /dev/zero | tr '\0' ']'
  printf '"}}]}'; } > deep-values.json
# A generator of 300 000 items with a label every 1 000 of them.
awk 'BEGIN {
  printf "{\"modules\":[\"libBrennick2010.so\"],\"blocks\":[{\"name\":\"g\",\"catalog\":\"Brennick2010\","
  printf "\"class\":\"LabelledSetIntervalGenerator\",\"parameters\":{\"num_items\":300000"
  for (i = 0; i < 300000; i += 1000) printf ",\"label_%d\":\"x\"", i
  printf "}}]}\n"
}' > generator-labels.json
# A source feeding a chain of 5 000 Vectors and a sink.
awk 'BEGIN {
  printf "{\"name\":\"chain\",\"modules\":[\"./libBrennick2010.so\"],\"blocks\":[{\"name\":\"s\",\"class\":\"sequence_source\"}"
  for (i = 0; i < 5000; i++) printf ",{\"name\":\"v%d\",\"catalog\":\"Brennick2010\",\"class\":\"Vector\"}", i
  printf ",{\"name\":\"end\",\"class\":\"sink\"}],\"links\":[{\"from\":\"s.output\",\"to\":\"v0.input\"}"
  for (i = 1; i < 5000; i++) printf ",{\"from\":\"v%d.output\",\"to\":\"v%d.input\"}", i - 1, i
  printf ",{\"from\":\"v4999.output\",\"to\":\"end.input\"}]}\n"
}' > chain.json

failed=0 count=0
while IFS='|' read -r status arguments expected; do
  status=${status//[[:space:]]/}
  [[ -z "$status" || "$status" == \#* ]] && continue
  arguments=$(echo "$arguments" | xargs)
  expected=$(echo "$expected" | sed -e 's/^ *//' -e 's/ *$//')
  read -ra words <<< "$arguments"
  count=$((count + 1))
  if [[ "${words[0]}" == "SMALLSTACK" ]]; then
    # A stack of 1 MiB, as a thread of a host embedding the library might have.
    (ulimit -s 1024 && timeout 120 "$vtxhost" "${words[@]:1}") > out.txt 2>&1
  elif [[ "${words[0]}" == "INTERRUPT" ]]; then
    # Ctrl-C after a second: the patch is stopped and the status tells so.
    timeout --preserve-status -s INT 1 "$vtxhost" "${words[@]:1}" > out.txt 2>&1
  else
    timeout 120 "$vtxhost" "${words[@]}" > out.txt 2>&1
  fi
  got=$?
  if [[ "$got" != "$status" ]] || ! grep -qF -- "$expected" out.txt; then
    failed=$((failed + 1))
    echo "FAILED: vtxhost $arguments"
    echo "  expected status $status and the text: $expected"
    echo "  got status $got and:"
    tail -c 2000 out.txt | tail -n 5 | sed 's/^/    /'
  fi
done < "$here/cases.txt"
echo "$((count - failed)) of $count hostile cases behaved"
[[ $failed -eq 0 ]]
