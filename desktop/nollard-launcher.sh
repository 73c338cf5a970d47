#!/bin/sh
# Starts an installed Nollard in its own folder: the program finds config/,
# report/ and help/ relative to its working directory.
here=$(dirname "$(readlink -f "$0")")
cd "$here/@NOLLARD_BIN_TO_PROGRAM@" || exit 1
exec ./nollard "$@"
