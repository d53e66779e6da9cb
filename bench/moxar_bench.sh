#!/usr/bin/env bash
# Whole-program timings of moxar against gzip on the same bytes, and peak memory
# for one large file. Usage: bench/moxar_bench.sh [path/to/moxar] [work folder]
# Needs about 3.5 GB of free disk space in the work folder; removes it afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
moxar=${1:-$root/build/archiver/moxar}
work=${2:-$(mktemp -d)}
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

# 200 MB: 100 files of 1 MB text (varied lines), 100 files of 1 MB random data.
python3 - "$work/corpus" <<'PY'
import os, random, sys
d = sys.argv[1]
rnd = random.Random(7)
words = ["order", "customer", "invoice", "total", "amount", "date", "London", "Vienna",
         "report", "page", "band", "label", "query", "table", "field", "value"]
for i in range(100):
    lines = []
    size = 0
    while size < 1 << 20:
        line = " ".join(rnd.choice(words) for _ in range(8)) + " %d;%0.2f\n" % (rnd.randrange(10**6), rnd.random() * 1000)
        lines.append(line)
        size += len(line)
    with open(os.path.join(d, "text%03d.txt" % i), "w") as f:
        f.write("".join(lines)[: 1 << 20])
    with open(os.path.join(d, "data%03d.bin" % i), "wb") as f:
        f.write(rnd.randbytes(1 << 20))
PY
sync
cat "$work"/corpus/* > /dev/null

mkdir -p "$work/gz"
t0=$(now)
for f in "$work"/corpus/*; do gzip -6 -c "$f" > "$work/gz/$(basename "$f").gz"; done
t1=$(now)
cd "$work"
"$moxar" b -d "$work/corpus.mox" "$work/corpus/*.*" > /dev/null
t2=$(now)
gzip_add=$(elapsed "$t0" "$t1"); moxar_add=$(elapsed "$t1" "$t2")

mkdir -p "$work/gunz" "$work/out"
t0=$(now)
for f in "$work"/gz/*; do gzip -d -c "$f" > "$work/gunz/$(basename "$f" .gz)"; done
t1=$(now)
"$moxar" e "$work/corpus.mox" "$work/out" > /dev/null
t2=$(now)
gzip_ext=$(elapsed "$t0" "$t1"); moxar_ext=$(elapsed "$t1" "$t2")
diff -r "$work/corpus" "$work/out" > /dev/null && echo "corpus extracted identically"
echo "corpus bytes: $(du -sb "$work/corpus" | cut -f1), archive bytes: $(stat -c %s "$work/corpus.mox")"
echo "add     : gzip -6 ${gzip_add}s  moxar ${moxar_add}s  ratio $(echo "scale=3; $moxar_add / $gzip_add" | bc)"
echo "extract : gzip -d ${gzip_ext}s  moxar ${moxar_ext}s  ratio $(echo "scale=3; $moxar_ext / $gzip_ext" | bc)"
rm -rf "$work/gz" "$work/gunz" "$work/out" "$work/corpus.mox"

# Peak memory for one 1 GiB file (the corpus repeated), adding and extracting.
mkdir -p "$work/big" "$work/bigout"
for i in 1 2 3 4 5; do cat "$work"/corpus/*; done | head -c $((1 << 30)) > "$work/big/one.bin"
rm -rf "$work/corpus"
/usr/bin/time -f "add 1 GiB    : %e s, peak RSS %M KiB" "$moxar" b "$work/big.mox" "$work/big/one.bin" > /dev/null
/usr/bin/time -f "extract 1 GiB: %e s, peak RSS %M KiB" "$moxar" e "$work/big.mox" "$work/bigout" > /dev/null
cmp "$work/big/one.bin" "$work/bigout/one.bin" && echo "1 GiB file extracted identically"

# Updating one small member of the large archive copies the big member unchanged.
echo "small" > "$work/big/small.txt"
"$moxar" a "$work/paths.mox" "$work/big/*.*" > /dev/null
echo "changed" > "$work/big/small.txt"
/usr/bin/time -f "update small member of 1 GiB archive: %e s, peak RSS %M KiB" \
  "$moxar" u "$work/paths.mox" "*small.txt"
t0=$(now); cp "$work/paths.mox" "$work/copy.mox"; sync; t1=$(now)
echo "plain copy of the archive: $(elapsed "$t0" "$t1")s"
