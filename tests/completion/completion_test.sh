#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The shell completions: the table they are made from against the program, and each
# completion driven by its real shell.
#
# Usage: completion_test.sh GROUP   (sync, bash, zsh or fish; an unknown group exits 2, a
#                                    group that checks nothing fails)
# Environment, set by the build: TSTAMP and TSTAMP_LAUNCH (the program and how it runs),
# TSTAMP_COMPLETION (the built completions), TSTAMP_SOURCE (the source tree).
set -u
# shellcheck source=tests/harness.sh
source "$(dirname "$0")/../harness.sh"
require TSTAMP TSTAMP_LAUNCH TSTAMP_COMPLETION TSTAMP_SOURCE
table=$TSTAMP_SOURCE/completion/sequences.tsv
completions=$TSTAMP_COMPLETION
# How many sequences the table offers after "%" (plain) and after "%#" (alt): the counts the
# rows below name by those words.
plain=$(grep -c $'^%[^#]' "$table")
alt=$(grep -c '^%#' "$table")
# flagged FLAG: the sequences the table offers after "%" and FLAG ("-", "_", "0" or "^"),
# those whose last column holds it: %-d ...
flagged() { awk -F '\t' -v flag="$1" '/^%[^#]/ && index($4, flag) {print "%" flag substr($1, 2)}' "$table"; }
declare -A flag_count
for flag in - _ 0 ^; do
    flag_count[$flag]=$(flagged "$flag" | wc -l)
done
# offers NAME COUNT SAMPLE: the shell had the completion loaded ($loaded), listed COUNT
# candidates ($listed, one a line; COUNT may be "plain", "+1" for one more, or "alt"), and SAMPLE, if any, is a
# line of what it showed ($shown). A row that expects nothing proves that way that the
# completion was there.
offers() {
    local count want=$2
    [[ $want == plain ]] && want=$plain
    [[ $want == +1 ]] && want=$((plain + 1))
    [[ $want == alt ]] && want=$alt
    [[ $want == flag* ]] && want=${flag_count[${want#flag}]}
    count=$(grep -c . <<<"$listed")
    if [[ $loaded != yes ]]; then
        fail "$1" "the completion is not loaded: $loaded"
    elif [[ $count == "$want" ]] && { [[ -z $3 ]] || grep -qxF -- "$3" <<<"$shown"; }; then
        pass
    else
        fail "$1" "offers $count: $(head -n 3 <<<"$listed" | tr '\n\t' ' :')"
    fi
}

# expand SEQUENCE [INSTANT]: what the program prints for it, the clock and zone fixed.
expand() { TSTAMP_TEST_CLOCK=${2:-795184889} TZ=UTC "$TSTAMP_LAUNCH" "$TSTAMP" "+$1"; }

# flag_changes %<flag>X: whether the flag ("#", "-" ...) changes what %X prints, at one of
# these instants (UTC): 1995-03-05 09:07:05, a Sunday early in March; 2005-01-03 00:00:00,
# in the first week of a year ending in 05; 0905-01-03.
flag_changes() {
    local instant
    for instant in 794394425 1104710400 -33607958400; do
        [[ $(expand "$1" "$instant") != $(expand "%${1:2}" "$instant") ]] && return 0
    done
    return 1
}

# The instants (UTC) that the worked examples of README.md and the man page name, by the
# words that name them; any other example is at 12:41:29 on 14 March 1995. The years of
# README's table of "+" are at noon on 3 January.
declare -A instant_of=([on the 5th]=794407289 [at 09:07]=795172025 [in the year -1]=-62193268800
    [a clock at -1]=-1 [in 2016]=1451822400)
declare -A year_instant_of=([1995]=795182400 [12345]=327403598400 [0]=-62167003200 [-123]=-66048523200
    [2016]=1451822400)
context_words='on the 5th|at 09:07|in the year -1|a clock at -1|in 2016'

# examples_hold NAME CLAIM_PATTERN: reads paragraphs of text, one a line, on standard input;
# each "SEQUENCE prints OUTPUT" in them (CLAIM_PATTERN) must be what the program prints at
# the instant named last before it in its paragraph. OUTPUT is a word, a text in backquotes,
# or "N bytes". Sets `checked` to the count.
examples_hold() {
    local paragraph token instant sequence want got
    checked=0
    while IFS= read -r paragraph; do
        instant=795184889
        while IFS= read -r token; do
            if [[ -n ${instant_of[$token]-} ]]; then
                instant=${instant_of[$token]}
                continue
            fi
            sequence=${token%% prints *}
            sequence=${sequence//\`/}
            want=${token#* prints }
            got=$(expand "$sequence" "$instant")
            checked=$((checked + 1))
            if [[ $want =~ ^([0-9]+)\ bytes$ ]]; then
                ((${#got} == BASH_REMATCH[1])) || fail "$1: $sequence" "prints ${#got} bytes, not $want"
            else
                want=${want#\`}
                want=${want%\`}
                [[ $got == "$want" ]] || fail "$1: $sequence" "prints '$got', not '$want'"
            fi
        done < <(grep -oE -- "($context_words)|$2" <<<"$paragraph")
    done
}

group_sync() {
    local sequence offered readme_modifiers
    offered=$(grep -E '^%' "$table" | cut -f 1)
    # shellcheck disable=SC2016 # the backquotes are README's
    readme_modifiers=$(grep -A 1 '^`E` and `O` modifiers are accepted' "$TSTAMP_SOURCE/README.md")
    [[ -n $offered ]] || fail "the table" "no sequence in $table"
    # Every sequence offered is one the program expands (it does not print it as typed).
    while read -r sequence; do
        [[ $(expand "$sequence") != "$sequence" ]] || fail "$sequence is offered" "the program prints it as typed"
    done <<<"$offered"
    # Every character that the program expands after "%" is offered. What it prints for
    # each is kept for the modifiers below.
    local code char chars=() plain
    local -A plain_of
    for code in $(seq 33 126); do
        printf -v char '%b' "\\x$(printf %x "$code")"
        chars+=("$char")
        plain_of[$char]=$(expand "%$char")
        if [[ ${plain_of[$char]} != "%$char" ]] && ! grep -qxF -- "%$char" <<<"$offered"; then
            fail "%$char" "the program expands it, and no completion offers it"
        fi
    done
    # A "#" form is offered only where the flag changes the output; after another flag,
    # exactly the sequences it changes are offered.
    while read -r sequence; do
        flag_changes "$sequence" || fail "$sequence is offered" "the # changes nothing that it prints"
    done < <(grep '^%#' <<<"$offered")
    local flag
    for flag in - _ 0 ^; do
        for char in "${chars[@]}"; do
            [[ ${plain_of[$char]} != "%$char" ]] || continue
            if flag_changes "%$flag$char"; then
                flagged "$flag" | grep -qxF -- "%$flag$char" || fail "%$flag$char" "the flag changes it, and no completion offers it"
            else
                ! flagged "$flag" | grep -qxF -- "%$flag$char" || fail "%$flag$char is offered" "the $flag changes nothing that it prints"
            fi
        done
    done
    [[ $failed == 0 ]] && pass
    # The man page is exact about "#" on numbers: what it says loses its leading zeros
    # changes, and what it says the flag changes nothing in or ignores does not. Each
    # sequence it names so is a claim checked; a page whose words these no longer read
    # would check fewer than the 36 it holds.
    local tag text claim listed claims=0
    while IFS='|' read -r tag text; do
        case $text in
        "the number without"* | likewise* | "the flag applies"*) claim=differs ;;
        "the flag changes nothing"* | "the flag is ignored"*) claim=same ;;
        *) continue ;;
        esac
        mapfile -t listed < <(grep -o '%#.' <<<"$tag")
        for sequence in "${listed[@]}"; do
            claims=$((claims + 1))
            if flag_changes "$sequence"; then
                [[ $claim == same ]] && fail "$sequence" "the man page says # changes nothing, and it does"
            else
                [[ $claim == differs ]] && fail "$sequence" "the man page says # changes it, and it does not"
            fi
        done
    done < <(awk '/^\.BR %#/ {tag = $0; getline; print tag "|" $0}' "$TSTAMP_SOURCE/man/tstamp.1.in")
    ((claims >= 36)) || fail "the man page's claims about #" "$claims checked, fewer than the 36 it holds"
    [[ $failed == 0 ]] && pass
    # E and O: the program expands them before the conversions of the table's last column
    # and no other, and README.md and the man page list those.
    # The man page lists E's conversions after "before", then O's.
    local modifier allowed readme_list man_lists
    mapfile -t man_lists < <(awk '/^\.SS "E and O modifiers"/ {on = 1} /^\.SS "Other/ {on = 0}
        on && before {gsub(/^\.BR |[",;.]/, ""); gsub(/ +/, ""); print; before = 0} on && /^before$/ {before = 1}' \
        "$TSTAMP_SOURCE/man/tstamp.1.in")
    local -A man_list_of=([E]=${man_lists[0]-} [O]=${man_lists[1]-})
    for modifier in E O; do
        allowed=$(awk -F '\t' -v m="$modifier" '/^%[^#]/ && $3 ~ m {printf "%s", substr($1, 2)}' "$table")
        [[ -n $allowed ]] || fail "the table's $modifier column" "names no conversion"
        for char in "${chars[@]}"; do
            plain=$(expand "%$modifier$char")
            if [[ $allowed == *"$char"* ]]; then
                [[ $plain == "${plain_of[$char]}" ]] || fail "%$modifier$char" "prints '$plain', not what %$char prints"
            else
                [[ $plain == "%$modifier$char" ]] || fail "%$modifier$char" "the table does not allow it, and it prints '$plain'"
            fi
        done
        readme_list=$(grep -o "%${modifier}[^ \`,]" <<<"$readme_modifiers" | cut -c 3 | tr -d '\n')
        [[ $readme_list == "$allowed" ]] || fail "README.md's %$modifier forms" "'$readme_list', the table's '$allowed'"
        [[ ${man_list_of[$modifier]} == "$allowed" ]] ||
            fail "the man page's $modifier forms" "'${man_list_of[$modifier]}', the table's '$allowed'"
    done
    [[ $failed == 0 ]] && pass
    # Each is in the README's FORMAT table and in the man page, as rendered, those after a
    # flag too.
    local readme man
    readme=$(sed -n '/^## FORMAT/,/^## /p' "$TSTAMP_SOURCE/README.md")
    man=$(LC_ALL=C MANWIDTH=200 MANPAGER=cat man -l "$TSTAMP_SOURCE/man/tstamp.1.in" 2>/dev/null)
    offered+=$'\n'$(for flag in - _ 0 ^; do flagged "$flag"; done)
    while read -r sequence; do
        grep -qE -- "[\` ]${sequence//^/\\^}[\` ,]" <<<"$readme" || fail "$sequence" "not in the README's FORMAT table"
        grep -qE -- "(^|[ (])${sequence//^/\\^}([ ,)]|$)" <<<"$man" || fail "$sequence" "not in the man page"
    done <<<"$offered"
    [[ $failed == 0 ]] && pass
    # The worked examples of README's FORMAT section (its bullets and table rows each a
    # paragraph) and of the man page, and README's table of "+", are what the program prints.
    # shellcheck disable=SC2016 # the backquotes are README's
    examples_hold README.md '`%[^`]*` prints (`[^`]*`|[^ ,;.)]+( bytes)?)' < <(awk '
        /^(\* |\||  \|)/ || $0 == "" { printf "\n%s", $0; next }
        { sub(/^ +/, ""); printf " %s", $0 } END { print "" }' <<<"$readme")
    ((checked >= 19)) || fail "README.md's worked examples" "$checked checked, fewer than the 19 it holds"
    examples_hold "the man page" '%[^ ]* prints [^ ,;)]*[^ ,;.)]' < <(awk 'BEGIN { RS = "" } { gsub(/[ \n]+/, " "); print }' <<<"$man")
    ((checked >= 12)) || fail "the man page's worked examples" "$checked checked, fewer than the 12 it holds"
    local row year got
    checked=0
    while IFS= read -r row; do
        [[ $row =~ ^\ +\|\ \`(%[^\`]+)\`\ \|\ (-?[0-9]+)\ \|\ ([^ ]+)\ \|$ ]] ||
            { fail "README.md's table of +" "a row not read: $row"; continue; }
        sequence=${BASH_REMATCH[1]} year=${BASH_REMATCH[2]}
        [[ -n ${year_instant_of[$year]-} ]] || { fail "README.md's table of +" "no instant for the year $year"; continue; }
        got=$(expand "$sequence" "${year_instant_of[$year]}")
        checked=$((checked + 1))
        [[ $got == "${BASH_REMATCH[3]}" ]] ||
            fail "README.md's table of +: $sequence in $year" "prints '$got', not '${BASH_REMATCH[3]}'"
    done < <(grep -E '^  \| `%\+' <<<"$readme")
    ((checked >= 10)) || fail "README.md's table of +" "$checked rows checked, fewer than its 10"
    [[ $failed == 0 ]] && pass
}

# Each shell's table: the command line typed so far | how many it offers | one of them, as
# the shell puts it in place of what it completes (bash: readline's part of the word, as
# typed; fish: the operand, which fish quotes as the typed word is quoted; zsh: its list).
group_bash() {
    local line count sample listed shown loaded
    while IFS='|' read -r line count sample; do
        # bash with bash-completion, its words as bash splits the line (at blanks outside
        # quotes), and the function that bash-completion has for the command word (it hands
        # over to tstamp's after sudo or time).
        shown=$(bash -c 'source /usr/share/bash-completion/bash_completion
            source "$1"
            line=$2 words=() word="" quote=""
            printf -v squote "\\x27"
            for ((i = 0; i < ${#line}; i++)); do
                char=${line:i:1}
                if [[ -n $quote ]]; then
                    [[ $char == "$quote" ]] && quote=""
                    word+=$char
                elif [[ $char == \" || $char == "$squote" ]]; then
                    quote=$char word+=$char
                elif [[ $char == \\ ]]; then
                    word+=${line:i:2}
                    ((i++))
                elif [[ $char == " " ]]; then
                    [[ -z $word ]] || words+=("$word")
                    word=""
                else
                    word+=$char
                fi
            done
            words+=("$word")
            COMP_LINE=$line COMP_POINT=${#line} COMP_WORDS=("${words[@]}") COMP_CWORD=$((${#words[@]} - 1))
            [[ $(complete -p tstamp 2>&1) == "complete -o nospace -F _tstamp tstamp" ]] && echo "loaded: yes"
            complete -p "${words[0]}" &>/dev/null || _completion_loader "${words[0]}"
            spec=$(complete -p "${words[0]}") function=${spec##*-F } function=${function%% *}
            "$function" "${words[0]}" "${words[-1]}" "${words[-2]}"
            printf "%s\n" "${COMPREPLY[@]}"' bash "$completions/tstamp.bash" "$line")
        loaded=$(sed -n 's/^loaded: //p' <<<"$shown")
        shown=$(sed '/^loaded: /d' <<<"$shown")
        listed=$shown
        offers "bash: '$line'" "$count" "$sample"
    done <<'EOF'
tstamp +%|plain|+%Y
tstamp +%#|alt|+%#d
tstamp +%-|flag-|+%-d
tstamp +%_|flag_|+%_H
tstamp +%0|flag0|+%0e
tstamp +%^|flag^|+%^a
tstamp +%5|0|
tstamp +%+|0|
tstamp +%-_|0|
tstamp +%5d%^|flag^|+%5d%^B
tstamp +%##%|plain|+%##%Y
tstamp +%Y +%|0|
tstamp +%H:%|plain|%M
tstamp +x%Y-%|plain|+x%Y-%m
tstamp +%%|0|
tstamp +%E%|0|
tstamp +%O%|0|
tstamp +%#%|0|
tstamp |1|+
tstamp '+%F %|plain|+%F %T
tstamp "+%a %|plain|+%a %d
tstamp +%Y'-%|plain|-%m
tstamp +%Y\ %|plain|+%Y\ %H
sudo tstamp +%|plain|+%Y
time tstamp +%|plain|+%Y
tstamp -|0|
tstamp %Y|0|
EOF
}

group_fish() {
    local line count sample listed shown loaded
    while IFS='|' read -r line count sample; do
        # shellcheck disable=SC2016 # a fish script: fish expands it
        shown=$(fish -c 'source $argv[1]
            complete -c tstamp | string match -q "*__tstamp_complete*"; and echo "loaded: yes"
            complete -C $argv[2]' "$completions/tstamp.fish" "$line")
        loaded=$(sed -n 's/^loaded: //p' <<<"$shown")
        shown=$(sed '/^loaded: /d' <<<"$shown")
        listed=$shown
        offers "fish: '$line'" "$count" "$(printf '%b' "$sample")"
    done <<'EOF'
tstamp +%|plain|+%Y\tyear, every digit (1995)
tstamp +%#|alt|+%#d\tday of the month without a leading zero
tstamp +%-|flag-|+%-d\tday of the month (01-31), without padding
tstamp +%^|flag^|+%^B\tfull month name (March), in upper case
tstamp +%0|flag0|+%0k\thour padded with a blank ( 0-23), padded with zeros
tstamp +%5|0|
tstamp +%5d%_|flag_|+%5d%_M\tminute (00-59), padded with blanks
tstamp +x%Y-%|plain|+x%Y-%m\tmonth (01-12)
tstamp +%%|0|
tstamp +%E%|0|
tstamp +%#%|0|
tstamp |+1|+
tstamp '+%F %|plain|+%F %T\ttime as %H:%M:%S (12:41:29)
tstamp "+%a %|plain|+%a %d\tday of the month (01-31)
tstamp +%Y'-%|plain|+%Y-%m\tmonth (01-12)
tstamp +%Y\ %|plain|+%Y %H\thour (00-23)
sudo tstamp +%|plain|+%Y\tyear, every digit (1995)
time tstamp +%|plain|+%Y\tyear, every digit (1995)
tstamp -|0|
tstamp %Y|0|
EOF
    # What the line becomes after one Tab in an interactive fish (fish adds a blank after a
    # lone candidate): the line typed | the line after a Tab and an X. fish runs in a
    # terminal of tmux's, with the completion where fish looks for it, the program on the
    # PATH (fish completes only a command there) and a prompt of ours.
    local home socket=tstamp-test-$$ want after
    home=$(mktemp -d)
    mkdir -p "$home/.config/fish/completions"
    cp "$completions/tstamp.fish" "$home/.config/fish/completions/"
    echo "function fish_prompt; echo -n 'FISH> '; end" >"$home/.config/fish/config.fish"
    tmux -L "$socket" new-session -d -s fish -x 200 -y 30 env -i HOME="$home" TERM=xterm PATH="${TSTAMP%/*}:$PATH" fish
    # prompt_line: the line after the prompt, once the screen shows one.
    prompt_line() { tmux -L "$socket" capture-pane -p -t fish | sed -n 's/^FISH> \{0,1\}//p' | tail -n 1; }
    for _ in $(seq 50); do
        tmux -L "$socket" capture-pane -p -t fish | grep -q '^FISH>' && break
        sleep 0.1
    done
    while IFS='|' read -r line want; do
        tmux -L "$socket" send-keys -t fish Escape C-u
        tmux -L "$socket" send-keys -t fish -l "$line"
        tmux -L "$socket" send-keys -t fish Tab
        sleep 1
        tmux -L "$socket" send-keys -t fish X
        for _ in $(seq 50); do
            after=$(prompt_line)
            [[ $after == *X ]] && break
            sleep 0.1
        done
        if [[ $after == "$want" ]]; then pass; else fail "fish, one Tab after '$line'" "the line is '$after'"; fi
    done <<'EOF'
tstamp |tstamp +X
sudo tstamp |sudo tstamp +X
command tstamp |command tstamp +X
EOF
    tmux -L "$socket" kill-server
    rm -rf "$home"
}

group_zsh() {
    local line count sample listed shown loaded
    while IFS='|' read -r line count sample; do
        shown=$(timeout 30 zsh -f "$(dirname "$0")/zsh_list.zsh" "$completions" "$line")
        loaded=no
        grep -qx 'LOADED=_tstamp' <<<"$shown" && loaded=yes
        listed=$(grep -- ' -- ' <<<"$shown")
        offers "zsh: '$line'" "$count" "$sample"
    done <<'EOF'
tstamp +%|plain|%Y  -- year, every digit (1995)
tstamp +%#|alt|%#d  -- day of the month without a leading zero
tstamp +%-|flag-|%-d  -- day of the month (01-31), without padding
tstamp +%^|flag^|%^B  -- full month name (March), in upper case
tstamp +%_|flag_|%_M  -- minute (00-59), padded with blanks
tstamp +%5|0|tstamp +%5
tstamp +x%Y-%|plain|%m  -- month (01-12)
tstamp +%E%|0|tstamp +%E%
tstamp +%#%|0|tstamp +%#%
tstamp |0|tstamp +
tstamp '+%F %|plain|%T  -- time as %H:%M:%S (12:41:29)
tstamp "+%a %|plain|%d  -- day of the month (01-31)
tstamp +%Y'-%|plain|%m  -- month (01-12)
tstamp +%Y\ %|plain|%H  -- hour (00-23)
sudo tstamp +%|plain|%Y  -- year, every digit (1995)
time tstamp +%|plain|%Y  -- year, every digit (1995)
tstamp -|0|tstamp -
tstamp %Y|0|tstamp %Y
EOF
}

run_group "${1:-}"
