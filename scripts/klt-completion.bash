# Bash completion of the klt tool: its commands, their options and the values those take; file
# names wherever a file goes. Use with: source scripts/klt-completion.bash

_klt_words() {
    case "$1" in
    "") echo "info samples convert export plot analyse db import image device live hrv ergo demo --help --version" ;;
    db) echo "path add list --help" ;;
    device) echo "ports status clock download --help" ;;
    ergo) echo "show run --help" ;;
    demo) echo "results --help" ;;
    info) echo "--json --help" ;;
    samples) echo "--json --csv --help" ;;
    convert) echo "--format --help" ;;
    export) echo "--format --marker --help" ;;
    plot) echo "-o --output --view --rows --marker --width --height --help" ;;
    analyse) echo "--marker --conconi --json --help" ;;
    import) echo "--initials --altitude-as-power --json --help" ;;
    image) echo "--save --json --help" ;;
    live) echo "--type --port --password --seconds --telemetry --json --help" ;;
    hrv) echo "--type --port --password --json --seconds -o --output --help" ;;
    "db path") echo "--help" ;;
    "db add") echo "--json --help" ;;
    "db list") echo "--initials --from --to --json --help" ;;
    "device ports") echo "--json --help" ;;
    "device status") echo "--type --port --password --json --help" ;;
    "device clock") echo "--type --port --password --set --json --help" ;;
    "device download") echo "--type --port --password --all --select --clear --json --help" ;;
    "ergo show") echo "--json --help" ;;
    "ergo run") echo "--mode --seconds --sim --seed --speedup --rider -o --output --initials --category --first --last --json --help" ;;
    "demo results") echo "--category --sort --json --help" ;;
    esac
}

# The values an option takes, when they are few.
_klt_values() {
    case "$1 $2" in
    "convert --format") echo "klt7 klt6" ;;
    "export --format") echo "text text-ext" ;;
    "plot --view") echo "single trend multi ratio analysis conconi" ;;
    "device "*" --type" | "live --type") echo "4 5 6 7" ;;
    "hrv --type") echo "6 7" ;;
    "device clock --set") echo "now" ;;
    "ergo run --rider") echo "steady sprint tired" ;;
    "ergo run --mode") echo "program open-end demo" ;;
    "demo results --sort") echo "steady max average" ;;
    *) return 1 ;;
    esac
}

_klt() {
    local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
    local command="" word i
    # The command so far: the words naming commands, before the one being completed.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case "$command" in
        "") [[ " $(_klt_words "") " == *" $word "* && $word != -* ]] && command=$word ;;
        db | device | ergo | demo) [[ " $(_klt_words "$command") " == *" $word "* && $word != -* ]] && command="$command $word" ;;
        esac
    done
    local values
    if values=$(_klt_values "$command" "$previous"); then
        mapfile -t COMPREPLY < <(compgen -W "$values" -- "$current")
        return
    fi
    case "$previous" in
    --port) mapfile -t COMPREPLY < <(compgen -f -- "${current:-/dev/tty}"); return ;;
    -o | --output | --initials | --from | --to | --rows | --marker | --width | --height | --password | --seconds | --category | --first | --last | --seed | --speedup) return ;;
    esac
    if [[ $current == -* || $command == "" || $command == db || $command == device || $command == ergo || $command == demo ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_klt_words "$command")" -- "$current")
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$current")
    fi
}

complete -o filenames -F _klt klt
