#!/usr/bin/env bash
# Fails when a feature folder of the application includes another feature folder. Every folder may
# include the shared library/ and common/ folders; only app/, which wires the features together,
# includes the rest.
set -u
root=$1
shared='library|common'
status=0

for folder in "$root"/Quillet/*/; do
    feature=$(basename "$folder")
    [ "$feature" = app ] && continue
    # "Quillet/x/…" or <Quillet/x/…>, and "../x/…" beside it, all name the folder x.
    hits=$(grep -rnE '^\s*#\s*include\s*["<](Quillet|\.\.)/[^/">]+/' "$folder" |
        grep -vE "#\s*include\s*[\"<](Quillet|\.\.)/($feature|$shared)/")
    if [ -n "$hits" ]; then
        echo "$feature/ includes another feature folder:"
        echo "$hits"
        status=1
    fi
done

[ $status -eq 0 ] && echo "feature folders include only themselves and the shared folders"
exit $status
