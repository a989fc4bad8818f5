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

# Runs a program under strace and checks its trace: NAME LOG EXPECTED-STATUS
# COMMAND... strace exits with the traced program's status, so the status also
# shows that the program really ran under it (124: stopped by timeout).
traced() {
    name=$1 log=$2 expected=$3
    shift 3
    strace -f -qq -e trace=network -o "$log" "$@" >"$log.out" 2>&1
    rc=$?
    if [ $rc -ne "$expected" ]; then
        echo "FAIL $name: exit status $rc, expected $expected"
        cat "$log.out"
        status=1
    fi
    if [ ! -e "$log" ]; then
        echo "FAIL $name: no trace written (cannot trace?)"
        status=1
        return
    fi
    bad=$(grep -E 'socket\(AF_(INET|INET6|NETLINK|PACKET)|sa_family=AF_(INET|INET6)' "$log" || true)
    if [ -n "$bad" ]; then
        echo "FAIL $name: network activity:"
        echo "$bad" | head -n 20
        status=1
    else
        echo "ok   $name: no network socket ($(grep -c . "$log") traced lines)"
    fi
}

traced "window and generation" "$tmp/window.log" 0 "$1" windowAndGenerationStayOffline
traced "application" "$tmp/app.log" 124 timeout -s TERM 4 "$2"

exit $status
