#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit x86 programs natively (wine32 needs that), 1 otherwise:
# some kernels are built without 32-bit support, and then even an installed wine32 cannot start
# the 32-bit program. Needs gcc with 32-bit support (g++-multilib).
set -u
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf 'int main(void) { return 0; }\n' > "$probe/probe.c"
gcc -m32 -static "$probe/probe.c" -o "$probe/probe" 2>/dev/null && "$probe/probe" 2>/dev/null
