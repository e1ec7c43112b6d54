#!/usr/bin/env bash
# Makes the archives the archive tests read:  make-archive-fixtures.sh FOLDER
# Real 7z archives from 7z, and archives with item names 7-Zip refuses to write
# (leaving the output folder) from bsdtar's 7z writer.
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

sevenzip() { 7z "$@" -bd -bso0 -bsp0 >/dev/null; }

# A game: nested folders, the executable at the top, a read-only file, fixed times.
mkdir -p game/data/maps/deep game/bin
printf 'game executable\n' > game/kvr.exe
printf 'helper\n' > game/bin/helper.exe
printf 'level one\n' > game/data/maps/level1.map
printf 'deep content\n' > game/data/maps/deep/secret.txt
head -c 200000 /dev/urandom > game/data/blob.bin
printf 'read only\n' > game/data/readonly.txt
chmod 0755 game/kvr.exe game/bin/helper.exe
chmod 0444 game/data/readonly.txt
find game -exec touch -h -d '2021-03-04 05:06:07 UTC' {} +
# Carries the same time, for comparing times without a time zone.
touch -d '2021-03-04 05:06:07 UTC' "$out/stamp.ref"
(cd game && sevenzip a -t7z -m0=lzma2 "$out/nested.7z" .)

# The same game with a password, once with readable names, once with encrypted names.
(cd game && sevenzip a -t7z -pSecret "$out/encrypted.7z" .)
(cd game && sevenzip a -t7z -pSecret -mhe=on "$out/encrypted-names.7z" .)

# Cut short, and an HTTP error page saved under the package's name.
head -c "$(( $(stat -c %s "$out/nested.7z") / 2 ))" "$out/nested.7z" > "$out/truncated.7z"
printf '<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>\n' > "$out/page.7z"

# Stored (uncompressed) items in a fixed order: kvr.exe first, a file that is then
# damaged last, so the failure comes after the executable has been decoded.
mkdir late
printf 'game executable\n' > late/kvr.exe
printf 'first part\n' > late/a.txt
printf 'ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ' > late/z.txt
(cd late && bsdtar --format 7zip --options 7zip:compression=store -cf "$out/damaged-late.7z" kvr.exe a.txt z.txt)
python3 - "$out/damaged-late.7z" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
at = data.index(b'ZZZZZZZZ')
data[at + 3] ^= 0xFF
open(path, 'wb').write(bytes(data))
PY

# Compressed data damaged in the middle of its stream.
mkdir text
for i in $(seq 1 2000); do echo "line $i of some text that compresses well"; done > text/big.txt
(cd text && sevenzip a -t7z -m0=lzma2 "$out/damaged-data.7z" big.txt)
python3 - "$out/damaged-data.7z" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
for at in range(200, 260):
    data[at] ^= 0x5A
open(path, 'wb').write(bytes(data))
PY

# Item names that would leave the output folder. Each archive also holds a harmless
# file listed first, which must not be written either.
mkdir hostile
printf 'escaped\n' > hostile/x
printf 'harmless\n' > hostile/ok.txt
hostile() {  # hostile NAME ITEM-NAME
  (cd hostile && bsdtar --format 7zip -P -cf "$out/$1.7z" -s ",^x\$,$2," ok.txt x)
}
hostile dotdot '../escaped-dotdot.txt'
hostile updotdot 'a/../../escaped-updotdot.txt'
hostile backslash '..\\escaped-backslash.txt'
hostile absolute "$out/escaped-absolute.txt"
hostile drive 'C:/escaped-drive.txt'
hostile drive-relative 'C:escaped-drive.txt'

# A link out of the folder, then a file written through it.
mkdir links
ln -s "../escaped-link" links/lnk
printf 'through the link\n' > links/y
(cd links && bsdtar --format 7zip -cf "$out/link-through.7z" -s ',^y$,lnk/y,' lnk y)
# A link out of the folder alone, and one that stays inside.
(cd links && bsdtar --format 7zip -cf "$out/link-out.7z" lnk)
mkdir inner
mkdir inner/sub
printf 'target\n' > inner/sub/file.txt
ln -s sub/file.txt inner/alias
(cd inner && bsdtar --format 7zip -cf "$out/link-inside.7z" sub alias)

# Item names beyond ASCII, stored as UTF-16 whatever locale makes the archive.
mkdir wide
mkdir "wide/数据"
printf 'game executable\n' > wide/kvr.exe
printf 'map\n' > "wide/数据/地图 一.txt"
(cd wide && LC_ALL=C.UTF-8 sevenzip a -t7z "$out/non-ascii.7z" .)

# Packages that extract cleanly but hold no game executable: nothing at all, the
# name in capitals only (a Linux file system keeps case), a folder of that name.
mkdir none
printf 'readme\n' > none/readme.txt
(cd none && bsdtar --format 7zip -cf "$out/no-game.7z" readme.txt)
mkdir capitals
printf 'game executable\n' > capitals/KVR.EXE
(cd capitals && sevenzip a -t7z "$out/capitals.7z" KVR.EXE)
mkdir -p folder/kvr.exe
printf 'inside\n' > folder/kvr.exe/inside.txt
(cd folder && sevenzip a -t7z "$out/game-folder.7z" kvr.exe)

# Two versions of a game for updates: v2 changes the executable and a file, adds a
# file in a new folder and drops one; one file stays the same.
mkdir -p v1/data v2/data/new
printf 'game executable v1\n' > v1/kvr.exe
printf 'same in both\n' > v1/data/same.txt
printf 'first text\n' > v1/data/changed.txt
printf 'only in v1\n' > v1/data/dropped.txt
printf 'game executable, version two\n' > v2/kvr.exe
printf 'same in both\n' > v2/data/same.txt
printf 'second text, longer\n' > v2/data/changed.txt
printf 'only in v2\n' > v2/data/new/added.txt
(cd v1 && sevenzip a -t7z -m0=lzma2 "$out/v1.7z" .)
(cd v2 && sevenzip a -t7z -m0=lzma2 "$out/v2.7z" .)
# The same with 600 small files more, so that a kill lands inside its apply too.
cp -r v2 v2-many
mkdir v2-many/data/many
for i in $(seq 1 600); do printf 'file %d\n' "$i" > "v2-many/data/many/f$i.txt"; done
(cd v2-many && sevenzip a -t7z -m0=lzma2 "$out/v2-many.7z" .)

# A game of 4000 text files (about 50 MB unpacked) in one solid block: its extraction
# lasts long enough for the bar to be watched while installing.
python3 - many/data <<'PY'
import os, random, sys
rng = random.Random(7)
words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 9))) for _ in range(2000)]
for i in range(4000):
    folder = os.path.join(sys.argv[1], 'pack%02d' % (i % 40))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, 'item%04d.txt' % i), 'w') as f:
        f.write(' '.join(rng.choice(words) for _ in range(2000)))
PY
printf 'game executable\n' > many/kvr.exe
(cd many && sevenzip a -t7z -m0=lzma2 -mx1 "$out/many-files.7z" .)
