#!/bin/sh
# Writes the symbol map of a program for its crash reports: every function as "SSSS:OOOOOOOO" (section
# 1, offset from the load address) and its mangled name, then per source file one line row per
# function start. Usage: symbol-map.sh PROGRAM MAP [NM]
set -eu
program=$1
map=$2
nm=${3:-nm}

# The listing first, so that a failing nm fails the build instead of leaving an empty map.
listing=$("$nm" --defined-only -n -l "$program")
printf '%s\n' "$listing" | awk -v program="$program" '
BEGIN { FS = "\t" }
{
    split($1, f, " ")
    if (f[2] != "T" && f[2] != "t" && f[2] != "W" && f[2] != "w") next
    hex = f[1]
    if (length(hex) < 8 || substr(hex, 1, length(hex) - 8) ~ /[^0]/) next
    offset = toupper(substr(hex, length(hex) - 7))
    symbols[++count] = sprintf(" 0001:%s       %s %s f", offset, f[3], toupper(hex))
    if ($2 != "") {
        at = match($2, /:[0-9]+$/)
        if (at > 0) {
            file = substr($2, 1, at - 1)
            line = substr($2, at + 1) + 0
            if (!(file in entries)) files[++fileCount] = file
            entries[file] = entries[file] sprintf("%6d 0001:%s", line, offset)
        }
    }
}
END {
    printf " %s\r\n\r\n  Address         Publics by Value\r\n\r\n", program
    for (i = 1; i <= count; ++i) printf "%s\r\n", symbols[i]
    for (i = 1; i <= fileCount; ++i) {
        file = files[i]
        all = entries[file]
        printf "\r\nLine numbers for (%s) segment .text\r\n\r\n", file
        # Rows are four entries of 20 characters; the last is filled up with its own last entry.
        while (length(all) > 0) {
            row = substr(all, 1, 80)
            all = substr(all, 81)
            last = substr(row, length(row) - 19)
            while (length(row) < 80) row = row last
            printf "%s\r\n", row
        }
    }
}' >"$map.tmp"
mv "$map.tmp" "$map"
