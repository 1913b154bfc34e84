# SPDX-License-Identifier: MIT
# Prints what zsh shows when completing a command line: the line as completed and the
# list, one "candidate -- description" a line. An interactive zsh in a pseudo-terminal
# (zpty), with compinit and the completion function from DIR, is sent the line and two
# tabs (the first may only quote a "#").
# Usage: zsh -f zsh_list.zsh DIR LINE
zmodload zsh/zpty || exit 1
dir=$1 line=$2
zpty -b shell zsh -f -i
zpty -w shell "PS1='ZSH>' PS2='' COLUMNS=200 LINES=200; fpath=(${(q)dir} \$fpath); autoload -Uz compinit; compinit -u -D"
zpty -w shell "zstyle ':completion:*' list-separator --; zstyle ':completion:*' menu no; setopt nolistpacked listrowsfirst nopromptsp"
zpty -w shell "bindkey -e; print LOADED=\$_comps[tstamp]; print READY"
zpty -r -m shell out '*READY*ZSH>' || exit 1
# Keys are handled in order: once the completion is done the line is dropped (^U: it may
# hold an open quote) and a marker printed, so the output is read up to the marker's
# second showing (its echo, then its output), however long the completion took.
zpty -w shell "$line"$'\t\t\C-u'
zpty -w shell 'print COMPLETION_SHOWN'
zpty -r -m shell all '*COMPLETION_SHOWN*COMPLETION_SHOWN*' || exit 1
zpty -d shell
# Without the terminal's control sequences and the prompt, each line once.
print -r -- "$out$all" | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g; s/.\x08//g; s/\x07//g; s/.*ZSH>//; s/ *$//' | sort -u

