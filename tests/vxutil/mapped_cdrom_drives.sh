#!/usr/bin/env bash
# Runs the mapped-drive test program in a prefix of its own whose drives E:
# to I: are CD-ROM drives backed by folders (Wine reads the drive types when
# its wineserver starts, so the shared prefix of the other tests is left
# alone). Usage: mapped_cdrom_drives.sh WINE-RUN PREFIX PROGRAM
set -euo pipefail
run=$1
prefix=$2
program=$3
discs="$prefix-discs"
"$run" --prefix "$prefix" --check -- "$program" || exit $?

"$run" --prefix "$prefix" --stop
rm -rf "$discs"
mkdir -p "$discs"/{e/video_ts,f/vcd,g,h/video_ts,i/docs}
touch "$discs/e/AUTORUN.INF" "$discs/e/video_ts/vts_01_0.ifo"
touch "$discs/f/vcd/info.vcd"
touch "$discs/g/Track01.cda" "$discs/g/Track02.cda"
touch "$discs/h/video_ts/vts_01_0.ifo"
touch "$discs/i/docs/readme.txt"

# Creates the prefix on first use, then maps the folders as CD-ROM drives.
"$run" --prefix "$prefix" -- reg add 'HKLM\Software\Wine\Drives' /v e: /d cdrom /f >/dev/null 2>&1
for d in f g h i; do
  "$run" --prefix "$prefix" -- reg add 'HKLM\Software\Wine\Drives' /v "$d:" /d cdrom /f >/dev/null 2>&1
done
abs_prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
for d in e f g h i; do
  ln -sfn "$discs/$d" "$abs_prefix/dosdevices/$d:"
done
"$run" --prefix "$prefix" --stop

status=0
VX_MAPPED_CDROMS=EFGHI "$run" --prefix "$prefix" -- "$program" || status=$?
"$run" --prefix "$prefix" --stop
exit $status
