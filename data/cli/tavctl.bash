# bash completion for tavctl
_tavctl() {
    local cur prev words cword
    _init_completion 2>/dev/null || {
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD-1]}
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
    }
    local options="--home --model --device --yes --debug --show-job --help"
    case $prev in
        --home) COMPREPLY=($(compgen -d -- "$cur")); return ;;
        --device) return ;;
        --model) COMPREPLY=($(compgen -W "list $(tavctl --model list 2>/dev/null)" -- "$cur")); return ;;
    esac
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --home|--device|--model) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "query set default check test-print backup restore firmware flash psforms psflash psfs devices $options" -- "$cur"))
        return
    fi
    case $command in
        query) COMPREPLY=($(compgen -W "--raw --numeric --json $options" -- "$cur")) ;;
        check) COMPREPLY=($(compgen -W "--json $options" -- "$cur")) ;;
        devices) COMPREPLY=($(compgen -W "--probe --json --help" -- "$cur")) ;;
        backup|restore|firmware) COMPREPLY=($(compgen -f -- "$cur")) ;;
        test-print) COMPREPLY=($(compgen -W "CONFIG DEMO MENUMAP DUPLEXDEMO" -- "$cur")) ;;
        set)
            if [[ $cur == *=* ]]; then
                # The keywords of one setting, from tavctl's own help of set.
                local name=${cur%%=*} values
                values=$(tavctl set --help 2>/dev/null | sed -n "s/^  ${name^^}: //p" | head -1)
                [[ $values == *" to "* || $values == *"number of"* ]] && values=""
                COMPREPLY=($(compgen -P "$name=" -W "$values" -- "${cur#*=}"))
            else
                local names
                names=$(tavctl set --help 2>/dev/null | sed -n 's/^  \([A-Z0-9_]*\):.*/\1=/p')
                compopt -o nospace 2>/dev/null
                COMPREPLY=($(compgen -W "$names $options" -- "$cur"))
            fi
            ;;
        *) COMPREPLY=($(compgen -W "$options" -- "$cur")) ;;
    esac
}
complete -F _tavctl tavctl
