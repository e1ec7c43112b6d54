#!/bin/sh
# Runs COMMAND [ARGS...] with KVR_SMALL_VOLUME naming a folder on a 64 KiB volume of
# its own (a tmpfs in a private mount namespace, gone with the command). Exits 77, the
# test's "skipped", where no mount namespace can be made (not root).
unshare -m true 2>/dev/null || { echo "no mount namespace here: skipped"; exit 77; }
dir=$(mktemp -d) || exit 1
trap 'rmdir "$dir"' EXIT
unshare -m sh -c 'mount -t tmpfs -o size=64k kvr-small "$0" && KVR_SMALL_VOLUME="$0" "$@"' "$dir" "$@"
