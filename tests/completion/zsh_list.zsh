# SPDX-License-Identifier: MIT
# Prints what zsh shows when completing a command line: the line as completed and the
# list, one "candidate -- description" a line. An interactive zsh in a pseudo-terminal
# (zpty), with compinit and the completion function from DIR, is sent the line and two
# tabs (the first may only quote a "#").
# Usage: zsh -f zsh_list.zsh DIR LINE
zmodload zsh/zpty || exit 1
dir=$1 line=$2
zpty -b shell zsh -f -i
zpty -w shell "PS1='>' PS2='' COLUMNS=200 LINES=200; fpath=(${(q)dir} \$fpath); autoload -Uz compinit; compinit -u -D"
zpty -w shell "zstyle ':completion:*' list-separator --; zstyle ':completion:*' menu no; setopt nolistpacked listrowsfirst"
zpty -w shell "print READY"
zpty -r -m shell out '*READY*>' || exit 1
zpty -w -n shell "$line"$'\t\t'
sleep 1
all=
while zpty -r -t shell chunk; do
    all+=$chunk
done
zpty -d shell
# Without the terminal's control sequences, each line once.
print -r -- "$all" | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g; s/.\x08//g; s/\x07//g' | sort -u

