#!/usr/bin/env bash
# Fails when a program that the tests, the test desktops, the benchmarks, the scripts or the programs
# themselves run comes from a package that scripts/bootstrap.sh does not install (itself or as a
# dependency of what it lists) and that is not part of Debian's base system. A machine with
# hand-installed packages passes a suite that a fresh machine fails; this check fails on both.
#
# It finds the programs by their names: every word of the shell scripts' code (not their comments),
# the command words of CMake's COMMAND lines, and the one-word string literals of the C++ sources,
# that names an executable on the standard PATH or is an absolute path to one. A word that names a
# program but is not run as one goes in `not_programs` with the reason.
#
#   check-programs-from-bootstrap.sh SOURCE_ROOT
set -uo pipefail
root=$1
readonly path_dirs=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

# Words that name a program somewhere but are never run by this project: strings and words.
readonly not_programs=(
    editor    # the editor's log category and the fuzz target editor-image
    red       # an annotation colour's name
    screen    # the capture mode's name in the application's arguments
)

bootstrap_packages() {
    sed -n '/^packages=(/,/^)/p; /packages+=(/p' "$root/scripts/bootstrap.sh" |
        sed 's/#.*//; s/packages+\?=(//; s/)//' | tr -s ' \t' '\n' | sed '/^$/d'
}

# The installed packages that a bootstrapped machine is sure to hold: what bootstrap.sh lists, the
# base system (Essential and Priority: required), and everything they depend on, following the first
# installed alternative of each dependency and virtual packages through their providers.
guaranteed_packages() {
    {
        bootstrap_packages | sed 's/^/root /'
        dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Essential}\t${Priority}\t${Provides}\t${Pre-Depends}, ${Depends}\n'
    } | awk -F'\t' '
        function bare(name) { sub(/:.*/, "", name); gsub(/ /, "", name); sub(/\(.*/, "", name); return name }
        $0 ~ /^root / { roots[substr($0, 6)] = 1; next }
        $1 !~ /^ii/ { next }
        {
            pkg = $2; installed[pkg] = 1; depends[pkg] = $6
            if ($3 == "yes" || $4 == "required") roots[pkg] = 1
            n = split($5, provided, ",")
            for (i = 1; i <= n; i++) { v = bare(provided[i]); if (v != "" && !(v in provider)) provider[v] = pkg }
        }
        function resolve(name) {
            if (name in installed) return name
            if (name in provider) return provider[name]
            return ""
        }
        END {
            count = 0
            for (r in roots) { p = resolve(r); if (p != "" && !(p in seen)) { seen[p] = 1; queue[count++] = p } }
            for (head = 0; head < count; head++) {
                n = split(depends[queue[head]], groups, ",")
                for (g = 1; g <= n; g++) {
                    m = split(groups[g], alternatives, "|")
                    for (a = 1; a <= m; a++) {
                        p = resolve(bare(alternatives[a]))
                        if (p == "") continue
                        if (!(p in seen)) { seen[p] = 1; queue[count++] = p }
                        break
                    }
                }
            }
            for (p in seen) print p
        }'
}

shell_words() {
    sed -E 's/(^|[[:space:]])#.*$//' "$@" | grep -oE '(/[A-Za-z0-9_.+/-]+|[A-Za-z][A-Za-z0-9_.+-]*)'
}

cmake_command_words() {
    grep -hoE 'COMMAND[[:space:]]+[^)]*' "$@" | sed -E 's/^COMMAND//' |
        grep -oE '(^|[[:space:]])(/[A-Za-z0-9_.+/-]+|[A-Za-z][A-Za-z0-9_.+-]*)([[:space:]]|$)' | tr -d ' \t'
}

cpp_words() {
    grep -hoE '"(/[A-Za-z0-9_.+/-]+|[A-Za-z][A-Za-z0-9_.+-]*)"' "$@" | tr -d '"'
}

candidate_words() {
    local scripts cmakes sources
    mapfile -t scripts < <(find "$root/tests" "$root/bench" "$root/scripts" "$root/.ci" -type f \
        \( -name '*.sh' -o -name run \))
    mapfile -t cmakes < <(find "$root/tests" "$root/bench" -name CMakeLists.txt)
    mapfile -t sources < <(find "$root/tests" "$root/bench" "$root/Quillet" "$root/Brindle" "$root/tools" \
        -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \))
    { shell_words "${scripts[@]}"; cmake_command_words "${cmakes[@]}"; cpp_words "${sources[@]}"; } | sort -u
}

# The executables on the standard PATH by name, the first directory winning, as the shell finds them;
# the shell's own builtins and keywords are not programs.
declare -A executable
for dir in ${path_dirs//:/ }; do
    while read -r name; do
        [ -z "${executable[$name]:-}" ] && [ -x "$dir/$name" ] && executable[$name]=$dir/$name
    done < <(find "$dir" -maxdepth 1 \( -type f -o -type l \) -printf '%f\n' 2>/dev/null)
done
while read -r name; do unset "executable[$name]"; done < <(compgen -b; compgen -k)

# Every path variant under which dpkg may have recorded PATH: as named, resolved, and on the other
# side of /usr merging.
path_variants() {
    local path=$1 real
    real=$(readlink -f "$path")
    printf '%s\n' "$path" "$real" "${path#/usr}" "/usr$path" "${real#/usr}" "/usr$real"
}

declare -A guaranteed
while read -r p; do guaranteed[$p]=1; done < <(guaranteed_packages)
declare -A skip
for w in "${not_programs[@]}"; do skip[$w]=1; done

declare -A path_of
while read -r word; do
    [ -n "${skip[$word]:-}" ] && continue
    case $word in
    /*) [ -f "$word" ] && [ -x "$word" ] && path=$word || continue ;;
    *) path=${executable[$word]:-} && [ -n "$path" ] || continue ;;
    esac
    # The project's own scripts run each other; they come with the clone.
    case $(readlink -f "$path") in "$root"/*) continue ;; esac
    path_of[$word]=$path
done < <(candidate_words)

# One dpkg query for every variant of every path: asked one by one, this takes a minute.
declare -A owner
while IFS= read -r line; do
    case $line in diversion*) continue ;; esac
    package=${line%%: *}
    owner[${line#*: }]=${package%%[:,]*}
done < <(for path in "${path_of[@]}"; do path_variants "$path"; done | sort -u | xargs -r dpkg-query -S 2>/dev/null)

status=0
for word in $(printf '%s\n' "${!path_of[@]}" | sort); do
    path=${path_of[$word]}
    package=
    while read -r variant; do
        package=${owner[$variant]:-}
        [ -n "$package" ] && break
    done < <(path_variants "$path")
    if [ -z "$package" ]; then
        echo "$word ($path) is run but no Debian package provides it"
        status=1
    elif [ -z "${guaranteed[$package]:-}" ]; then
        echo "$word ($path) comes from $package, which scripts/bootstrap.sh does not install"
        status=1
    fi
done

[ $status -eq 0 ] && echo "all ${#path_of[@]} programs run come from the bootstrap or the base system"
exit $status
