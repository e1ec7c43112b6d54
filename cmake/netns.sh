#!/usr/bin/env bash
# A private network namespace (loopback only) for the test servers of the local channel
# on the deployment profile's fixed ports, so that a test run never clashes with a
# running main job or another run. Where the machine does not allow namespaces, the
# commands run in the machine's own network and say so once.
#   netns.sh setup NAME | cleanup NAME | exec NAME COMMAND [ARGS...]
set -eu
action=$1 name=$2
shift 2
case "$action" in
  setup)
    ip netns delete "$name" 2>/dev/null || true
    if ip netns add "$name" 2>/dev/null && ip netns exec "$name" ip link set lo up 2>/dev/null; then
      echo "test servers: network namespace $name"
    else
      ip netns delete "$name" 2>/dev/null || true
      echo "test servers: no network namespace here; using the machine's loopback"
    fi
    ;;
  cleanup) ip netns delete "$name" 2>/dev/null || true ;;
  exec)
    if [ -e "/run/netns/$name" ]; then exec ip netns exec "$name" "$@"; fi
    exec "$@"
    ;;
  *) echo "netns.sh: unknown action $action" >&2; exit 2 ;;
esac
