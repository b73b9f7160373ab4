#!/usr/bin/env bash
# Two belvanto.exe sharing one appointment file, each in a Wine prefix of its own, as
# two PCs share a file through a sync folder. Under Wine one prefix runs one program
# (its single-instance mutex and its windows belong to the prefix's wineserver), so
# the test program runs in prefix A and its peer, the same program started with
# --peer, in prefix B; they talk over a TCP connection on this machine, the port in
# WORK/peer.port. Both prefixes reach WORK/shared through drive Z:.
#
#   run_shared.sh ROOT WORK TEST_EXE
set -u
root=$1 work=$2 exe=$3
rm -rf "$work/shared" "$work/peer.port"
mkdir -p "$work/shared"

"$root/scripts/wine-run" --prefix "$work/wine-b" -- wine "$exe" --peer &
peer=$!
# The peer ends when the test closes its connection; whatever happened, it is ended.
trap 'kill -TERM "$peer" 2>/dev/null; wait "$peer" 2>/dev/null' EXIT
trap 'exit 143' TERM INT

"$root/scripts/wine-run" --prefix "$work/wine-a" -- wine "$exe"
