#!/usr/bin/env bash
# The completion as a user meets it: an interactive bash on a pseudo-terminal, with the
# bash-completion helpers and bash's own word breaks (which split at '='), keys typed in.
# usage: completion_test.sh TAVCTL COMPLETION_FILE
set -uo pipefail
TAVCTL=$1 COMPLETION=$2
HELPERS=/usr/share/bash-completion/bash_completion
[ -r "$HELPERS" ] || { echo "FAIL: $HELPERS missing (package bash-completion; make deps installs it)" >&2; exit 1; }
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavcomp.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
TAB=$'\t' CTRL_A=$'\001'
# Each line is typed whole; readline takes the keys in order, so a completion that runs tavctl
# is done before the next key is read. Ctrl-A then printf shows the completed words one a line.
# No key the terminal itself acts on (Ctrl-U, Ctrl-C): the keys may arrive while bash runs a
# command and the terminal is in its line mode.
{
    echo "source $HELPERS; source $COMPLETION; PATH=$(dirname "$TAVCTL"):\$PATH; PS1='\$ '"
    echo "tavctl set PAPER=LET$TAB${CTRL_A}printf '<%s>\\n' "
    echo "tavctl set copi$TAB${CTRL_A}printf '<%s>\\n' "
    echo "tavctl --device=tcp://x fla$TAB li$TAB${CTRL_A}printf '<%s>\\n' "
    echo "echo listing"
    echo "tavctl set PERSONALITY=$TAB$TAB${CTRL_A}true "
    echo "echo listed"
    echo "exit"
} | TERM=dumb HOME=$WORK INPUTRC=/dev/null script -qfec "bash --norc --noprofile -i" /dev/null >"$WORK/out" 2>&1
out=$(tr -d '\r' <"$WORK/out")
failures=0
expect() { grep -qF -- "$1" <<<"$out" || { echo "FAIL: no $1 in the session" >&2; failures=$((failures + 1)); }; }
expect "<PAPER=LETTER>"   # the keyword after '=', not another setting's name
expect "<COPIES=>"        # a setting's name, any case, waits for its value
expect "<flash>"
expect "<list>"
listing=$(sed -n '/^listing$/,/^listed$/p' <<<"$out")
grep -qw PCL <<<"$listing" || { echo "FAIL: PERSONALITY's keywords not offered" >&2; failures=$((failures + 1)); }
if grep -qE '\(and|12:' <<<"$listing"; then echo "FAIL: help text offered as keywords" >&2; failures=$((failures + 1)); fi
[ "$failures" -eq 0 ] || { echo "--- session:"; echo "$out"; exit 1; }
echo "completion works"
