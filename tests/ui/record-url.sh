#!/bin/sh
# Stands in for a web browser: records the address it was asked to open.
printf "%s\n" "$1" > "$(dirname "$0")/recorded-url.txt"
