#!/bin/sh
# Runs a command with an X display: the current one, or a private Xvfb.
# -noreset: Xvfb otherwise resets whenever its last client leaves and drops
# connections made meanwhile, so a program that closes and reopens the display
# (a global setdown, then a new global setup) would fail now and then.
set -eu
if [ -n "${DISPLAY:-}" ]; then
    exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
