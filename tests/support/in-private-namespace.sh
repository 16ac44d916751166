#!/bin/sh
# Runs a test program in a mount namespace of its own, with empty /var/tmp and /dev/shm: JUCE's
# single-instance lock (a file in /var/tmp) and JACK's registry and sockets (in /dev/shm) are then
# the test's alone, so tests that start the application or a JACK server can run side by side with
# each other and with any other run on the machine. Whatever a test leaves there (a killed jackd's
# registry entry, say) goes with the namespace.
#
#   in-private-namespace.sh [--network] PROGRAM [ARGUMENT...]
#
# --network also gives the program a network namespace of its own, with only the loopback (up).
#
# As root this needs nothing else. An ordinary user gets the namespaces inside a user namespace in
# which they are root (Debian allows this by default): the program then runs as uid 0 there, while
# every file it makes belongs to the user outside.
set -eu
network=
if [ "${1-}" = --network ]; then
    network=--net
    shift
fi
user=
[ "$(id -u)" -eq 0 ] || user=--map-root-user

exec unshare $user --mount --propagation private $network /bin/sh -c '
    network=$1
    shift
    mount -t tmpfs -o mode=1777 kestro-var-tmp /var/tmp
    mount -t tmpfs -o mode=1777 kestro-shm /dev/shm
    if [ -n "$network" ]; then
        ip link set lo up
    fi
    exec "$@"' in-private-namespace "$network" "$@"
