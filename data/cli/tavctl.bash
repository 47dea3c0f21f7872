# bash completion for tavctl: its commands, options, actions, settings and their keywords, as
# tavctl's own help lists them. Uses the bash-completion package's helpers.

# tavctl's help, for the program folder and model the line names.
_tavctl_help() {
    local i args=()
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --home|--model) args+=("${words[i]}" "${words[i + 1]}") ;;
            --home=*|--model=*) args+=("${words[i]}") ;;
        esac
    done
    tavctl "${args[@]}" "$@" --help 2>/dev/null
}

# The first words of a help's indented lines: options (--x) or commands and actions (x).
_tavctl_listed() {
    sed -n "s/^  \\($1\\).*/\\1/p"
}

_tavctl() {
    local cur prev words cword split
    # -s: --NAME=VALUE completes VALUE after --NAME. NAME=VALUE and a device name with its ':'
    # stay one word here; bash itself still replaces only what follows the last '=' or ':'.
    _init_completion -s -n : || return

    case $prev in
        --home) _filedir -d; return ;;
        --device|--wait) return ;;
        --model) COMPREPLY=($(compgen -W "list $(tavctl --model list 2>/dev/null)" -- "$cur")); return ;;
    esac
    $split && return

    local command="" action="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --home|--device|--model|--wait) ((i++)) ;;
            -*) ;;
            *) if [[ -z $command ]]; then command=${words[i]}; elif [[ -z $action ]]; then action=${words[i]}; fi ;;
        esac
    done
    local options
    options=$(_tavctl_help | _tavctl_listed '--[a-z-]*')
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$(_tavctl_help | sed -n '/^Commands:/,/^$/p' | _tavctl_listed '[a-z-]*') $options" -- "$cur"))
        return
    fi
    [[ $cur == -* ]] && { COMPREPLY=($(compgen -W "$(_tavctl_help "$command" | _tavctl_listed '--[a-z-]*') $options" -- "$cur")); return; }
    case $command in
        backup|restore|firmware) _filedir ;;
        test-print) COMPREPLY=($(compgen -W "CONFIG DEMO MENUMAP DUPLEXDEMO" -- "$cur")) ;;
        flash|psforms|psflash|psfs)
            if [[ -z $action ]]; then
                COMPREPLY=($(compgen -W "$(_tavctl_help "$command" | _tavctl_listed '[a-z][a-z-]*')" -- "$cur"))
            else
                _filedir
            fi
            ;;
        set)
            if [[ $cur == *=* ]]; then
                # The keywords of one setting; a range or a plain number has none to offer.
                local name=${cur%%=*} values
                values=$(_tavctl_help set | sed -n "s/^  ${name^^}: //p" | sed 's/ (.*//')
                [[ $values == *" to "* || $values == *"number of"* ]] && values=""
                COMPREPLY=($(compgen -W "$values" -- "${cur#*=}"))
            else
                compopt -o nospace
                COMPREPLY=($(compgen -W "$(_tavctl_help set | sed -n 's/^  \([A-Z][A-Z0-9_]*\):.*/\1=/p')" -- "${cur^^}"))
            fi
            ;;
    esac
}
complete -F _tavctl tavctl
