#!/bin/sh
# Runs a test program on a virtual X display, where Qt Quick renders with GL. Without
# xvfb-run the test is reported as skipped (exit 77), not failed.
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "xvfb-run not found: skipped"
    exit 77
fi
exec xvfb-run -a -s "-screen 0 1600x1000x24" env QT_QPA_PLATFORM=xcb "$@"
