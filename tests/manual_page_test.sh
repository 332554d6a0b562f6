#!/bin/sh
# The manual page renders without a single warning.
#   manual_page_test.sh PAGE
command -v groff > /dev/null || { echo "skipped: groff is not installed (Debian: groff-base)"; exit 77; }
out=$(groff -man -ww -z "$1" 2>&1) || { echo "$out"; exit 1; }
test -z "$out" || { echo "$out"; exit 1; }
