#!/usr/bin/env bash
# Mutation check: applies each small fault of a list, one at a time, rebuilds incrementally,
# runs the tests meant to catch it and prints KILLED or SURVIVED per fault, then a score.
#
#   bash scripts/mutants.sh [LIST] [NAME-REGEX]
#
# LIST defaults to scripts/mutants.txt (its header describes the format); NAME-REGEX picks the
# mutations whose [name] matches (a leading ! picks those that do not match). Each fault is put into the source file for its run only:
# the file is restored after the run, after a failed build and on Ctrl+C or kill (a copy of
# the original waits in build/mutants/pending until then, and a later run puts back any it
# finds first). Builds go to build/mutants, configured like the default preset so that
# ccache serves what build/default compiled; do not build build/default while it runs. Not
# part of the test command: it is slow by design.
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LIST="${1:-$ROOT/scripts/mutants.txt}"
PICK="${2:-.}"
BUILD="$ROOT/build/mutants"
PENDING="$BUILD/pending"
LOG="$BUILD/log"
TEST_TIMEOUT="${MUTANTS_TEST_TIMEOUT:-300}"
export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"

[[ -f "$LIST" ]] || { echo "no mutation list at $LIST" >&2; exit 2; }

# ---- The mutation list ----
names=() files=() finds=() replaces=() tests=() targets=() envs=() notes=()
parse_list() {
    local line key value n=-1
    while IFS= read -r line || [[ -n "$line" ]]; do
        [[ "$line" =~ ^[[:space:]]*(#|$) ]] && continue
        if [[ "$line" =~ ^\[(.+)\]$ ]]; then
            n=$((n + 1))
            names[n]="${BASH_REMATCH[1]}" files[n]="" finds[n]="" replaces[n]="" tests[n]=""
            targets[n]="engine_tests" envs[n]="" notes[n]=""
            continue
        fi
        if (( n < 0 )) || [[ ! "$line" =~ ^([a-z]+):\ ?(.*)$ ]]; then
            echo "$LIST: cannot read: $line" >&2
            exit 2
        fi
        key="${BASH_REMATCH[1]}" value="${BASH_REMATCH[2]}"
        case "$key" in
            file) files[n]="$value" ;;
            find) finds[n]="$value" ;;
            replace) replaces[n]="$value" ;;
            tests) tests[n]="$value" ;;
            target) targets[n]="$value" ;;
            env) envs[n]="$value" ;;
            note) notes[n]="$value" ;;
            *) echo "$LIST: unknown key '$key' in [${names[n]}]" >&2; exit 2 ;;
        esac
    done < "$LIST"
}
parse_list

# ---- Taking a fault out again whatever happens ----
# The file being mutated (relative to ROOT) is named in $PENDING/file and its original bytes
# are in $PENDING/original. Restoring gives the file a new time, so every build directory
# compiles it again (from ccache) rather than keeping an object made from the mutant.
restore() {
    if [[ -f "$PENDING/file" ]]; then
        local file
        file="$(cat "$PENDING/file")"
        cp "$PENDING/original" "$ROOT/$file" && touch "$ROOT/$file" && rm -f "$PENDING/file" "$PENDING/original"
    fi
}
trap restore EXIT
trap 'restore; echo; echo "interrupted: the sources are restored"; exit 130' INT TERM HUP
mkdir -p "$PENDING" "$LOG"
restore  # a run that was killed outright left its fault here

build() {  # build TARGETS...
    cmake --build "$BUILD" --target "$@" >"$LOG/build.txt" 2>&1
}

run_tests() {  # run_tests REGEX ENV
    local regex="$1" env="$2"
    if [[ -n "$env" ]]; then
        env "$env" ctest --test-dir "$BUILD" -R "$regex" --no-tests=error --timeout "$TEST_TIMEOUT" >"$LOG/tests.txt" 2>&1
    else
        ctest --test-dir "$BUILD" -R "$regex" --no-tests=error --timeout "$TEST_TIMEOUT" >"$LOG/tests.txt" 2>&1
    fi
}

# Replaces the one occurrence of FIND by REPLACE, literally except that \n stands for a line
# break; fails when FIND is not there exactly once.
apply() {  # apply FILE FIND REPLACE
    MUT_FIND="$2" MUT_REPLACE="$3" perl -0777 -i -pe '
        BEGIN { $f = $ENV{MUT_FIND}; $r = $ENV{MUT_REPLACE}; s/\\n/\n/g for $f, $r; }
        my $n = () = /\Q$f\E/g;
        die "found $n times\n" if $n != 1;
        s/\Q$f\E/$r/;' "$1"
}

if [[ ! -f "$BUILD/build.ninja" ]]; then
    echo "configuring $BUILD"
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGESSORIA_BUILD_BENCHMARKS=ON \
        >"$LOG/configure.txt" 2>&1 || { echo "configure failed: $LOG/configure.txt" >&2; exit 1; }
fi

selected=()
for i in "${!names[@]}"; do
    if [[ "$PICK" == '!'* ]]; then
        [[ "${names[i]}" =~ ${PICK#!} ]] || selected+=("$i")
    else
        [[ "${names[i]}" =~ $PICK ]] && selected+=("$i")
    fi
done
(( ${#selected[@]} > 0 )) || { echo "no mutation matches '$PICK'" >&2; exit 2; }

# Every test the chosen mutations name must pass on the code as it is.
declare -A built=()
for i in "${selected[@]}"; do
    for t in ${targets[i]}; do built[$t]=1; done
done
echo "building ${!built[*]}"
build "${!built[@]}" || { echo "the unmutated build fails: $LOG/build.txt" >&2; exit 1; }
declare -A baseline=()
for i in "${selected[@]}"; do
    key="${tests[i]}|${envs[i]}"
    [[ -n "${baseline[$key]:-}" ]] && continue
    baseline[$key]=1
    run_tests "${tests[i]}" "${envs[i]}" || { echo "tests '${tests[i]}' fail without any mutation: $LOG/tests.txt" >&2; exit 1; }
done

killed=0 survived=0 excused=0 broken=0
survivors=()
for i in "${selected[@]}"; do
    name="${names[i]}" file="${files[i]}"
    printf '%-48s ' "$name"
    if [[ ! -f "$ROOT/$file" ]]; then
        echo "BAD (no file $file)"
        broken=$((broken + 1))
        continue
    fi
    cp "$ROOT/$file" "$PENDING/original" && echo "$file" >"$PENDING/file"
    if ! apply "$ROOT/$file" "${finds[i]}" "${replaces[i]}" 2>"$LOG/apply.txt"; then
        restore
        echo "BAD (the original text is not there exactly once)"
        broken=$((broken + 1))
        continue
    fi
    # shellcheck disable=SC2086
    if ! build ${targets[i]}; then
        restore
        echo "BAD (does not build: see $LOG/build.txt)"
        cp "$LOG/build.txt" "$LOG/build-$name.txt"
        broken=$((broken + 1))
        continue
    fi
    if run_tests "${tests[i]}" "${envs[i]}"; then
        if [[ -n "${notes[i]}" ]]; then
            echo "SURVIVED (excused: ${notes[i]})"
            excused=$((excused + 1))
        else
            echo "SURVIVED"
            survivors+=("$name")
        fi
        survived=$((survived + 1))
    else
        echo "KILLED"
        killed=$((killed + 1))
    fi
    restore
done

# Leave build/mutants as the unmutated code builds.
echo "rebuilding without mutations"
build "${!built[@]}" || echo "warning: the unmutated rebuild failed: $LOG/build.txt" >&2

total=$((killed + survived))
echo
echo "score: $killed killed of $total ($survived survived, $excused of them excused; $broken could not be applied)"
if (( ${#survivors[@]} > 0 )); then
    echo "survivors without a note: ${survivors[*]}"
    exit 1
fi
(( broken == 0 ))
