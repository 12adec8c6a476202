#!/bin/sh
# The program: a test case run in the folder it lies in; its exit code is
# the activity's return code.
cd "$(dirname "$0")" && exec ./kestrun1 -i score -o score >/dev/null 2>&1
