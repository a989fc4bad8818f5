#!/bin/sh
# Traces the network system calls of a build without a publisher web host and
# fails on any socket that is not a local (AF_UNIX) one and on any connection
# to a non-local address: no name is resolved, nothing is sent.
#
#   no_network.sh TST_NOHOST APPLICATION
#
# 1. TST_NOHOST's windowAndGenerationStayOffline: the main window, a
#    generation, the About window.
# 2. The application itself, left running for a few seconds.
set -u

if ! command -v strace >/dev/null 2>&1; then
    echo "no_network.sh: strace is missing (Debian package strace)" >&2
    exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -m 700 -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
unset DO_NOT_TRACK

status=0

check() { # name log
    if [ ! -e "$2" ]; then
        echo "FAIL $1: no trace written (cannot trace?)"
        status=1
        return
    fi
    bad=$(grep -E 'socket\(AF_(INET|INET6|NETLINK|PACKET)|sa_family=AF_(INET|INET6)' "$2" || true)
    if [ -n "$bad" ]; then
        echo "FAIL $1: network activity:"
        echo "$bad" | head -n 20
        status=1
    else
        echo "ok   $1: no network socket ($(grep -c . "$2") traced lines)"
    fi
}

# strace exits with the traced program's status, so the statuses below also
# show that the programs really ran under it.
strace -f -qq -e trace=network -o "$tmp/window.log" "$1" windowAndGenerationStayOffline >"$tmp/window.out" 2>&1
rc=$?
if [ $rc -ne 0 ]; then
    echo "FAIL window session: exit status $rc"
    cat "$tmp/window.out"
    status=1
fi
check "window and generation" "$tmp/window.log"

strace -f -qq -e trace=network -o "$tmp/app.log" timeout -s TERM 4 "$2" >"$tmp/app.out" 2>&1
rc=$?
if [ $rc -ne 124 ]; then
    echo "FAIL application: ended by itself with status $rc before the time was up"
    cat "$tmp/app.out"
    status=1
fi
check "application" "$tmp/app.log"

exit $status
