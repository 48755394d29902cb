# SPDX-License-Identifier: MIT
# bash completion for velmora-tesk-cli: the commands, each command's options, the levelling
# classes, field books (*.DAT in any case), output files of the kind each command writes, and
# the commands after `help`.
# Installed as /usr/share/bash-completion/completions/velmora-tesk-cli, where bash-completion
# finds it; it needs nothing of bash-completion itself, so `source` works in any bash too.

# The options of each command, as its usage in --help names them.
_velmora_tesk_cli_options()
{
    local limits="--max-sight --max-station-imbalance --max-cumulative-imbalance
                  --max-double-reading --max-section-difference --rod-scale --allow-single-readings"
    case $1 in
        runs) echo "--class --json" ;;
        save) echo "--delete --output" ;;
        export) echo "--class --start --height --runs --output" ;;
        adjust) echo "--fixed --fixed-file --nodes --runs --class --sigma --max-section-difference --rod-scale --json --all-points --output" ;;
        check) echo "--class --json $limits" ;;
        report) echo "--class $limits --fixed --fixed-file --output" ;;
        "monitor create") echo "--benchmarks --marks --class --sigma --alpha" ;;
        "monitor add") echo "--date --runs --rod-scale" ;;
        "monitor remove") echo "--cycle" ;;
        "monitor show") echo "--json" ;;
        "monitor report") echo "--output" ;;
        "monitor export") echo "--output" ;;
    esac
}

# _velmora_tesk_cli_files PREFIX CURRENT SUFFIX...: folders and the files whose names end in
# one of SUFFIX (any case; none: every file) that begin with CURRENT, each preceded by PREFIX.
_velmora_tesk_cli_files()
{
    local prefix=$1 current=$2 name suffix lower
    shift 2
    local -a names
    mapfile -t names < <(compgen -f -- "$current")
    for name in "${names[@]}"; do
        if [[ -d $name ]]; then
            COMPREPLY+=("$prefix$name")
            continue
        fi
        [[ $# -eq 0 ]] && { COMPREPLY+=("$prefix$name"); continue; }
        lower=${name,,}
        for suffix in "$@"; do
            if [[ $lower == *"$suffix" ]]; then
                COMPREPLY+=("$prefix$name")
                break
            fi
        done
    done
    # Names as files: readline quotes them where they need it and marks a folder with a slash
    # instead of the blank after it.
    compopt -o filenames 2>/dev/null
    return 0
}

_velmora_tesk_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev= option= prefix= command= word i
    COMPREPLY=()
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}

    # The command: the first word after the program that is no option.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            runs | save | export | adjust | check | report | monitor | help)
                command=$word
                break
                ;;
        esac
    done

    # The option whose value is being completed: "--class III", or "--class=III", which bash
    # splits into "--class" "=" "III" while "=" is one of COMP_WORDBREAKS.
    if [[ $cur == "=" && $prev == --* ]]; then
        option=$prev
        cur=
    elif [[ $prev == "=" ]] && ((COMP_CWORD > 1)) && [[ ${COMP_WORDS[COMP_CWORD - 2]} == --* ]]; then
        option=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        prefix=$option=
        cur=${cur#*=}
    elif [[ $prev == --* ]]; then
        option=$prev
    fi

    case $option in
        --class)
            mapfile -t COMPREPLY < <(compgen -P "$prefix" -W "I II III IV" -- "$cur")
            return 0
            ;;
        --output)
            case $command in
                export) _velmora_tesk_cli_files "$prefix" "$cur" .xls .xlsx ;;
                adjust) _velmora_tesk_cli_files "$prefix" "$cur" .xls .xlsx .csv ;;
                report) _velmora_tesk_cli_files "$prefix" "$cur" .html .htm ;;
                monitor)
                    if [[ ${COMP_WORDS[i + 1]:-} == report ]]; then
                        _velmora_tesk_cli_files "$prefix" "$cur" .html .htm
                    else
                        _velmora_tesk_cli_files "$prefix" "$cur" .xls .xlsx .csv
                    fi
                    ;;
                *) _velmora_tesk_cli_files "$prefix" "$cur" ;;
            esac
            return 0
            ;;
        --fixed-file)
            _velmora_tesk_cli_files "$prefix" "$cur"
            return 0
            ;;
        # Values that cannot be guessed: run and point numbers, heights, limits.
        --delete | --runs | --start | --height | --fixed | --nodes | --sigma | --max-* | \
            --benchmarks | --marks | --alpha | --date | --cycle)
            return 0
            ;;
    esac

    local commands="runs save export adjust check report monitor"
    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "--help --version" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$commands help" -- "$cur")
        fi
        return 0
    fi
    # help COMMAND: one command, nothing after it.
    if [[ $command == help ]]; then
        ((COMP_CWORD == i + 1)) && [[ $cur != -* ]] &&
            mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        return 0
    fi
    # monitor ACTION: the action first, then its options, the project and (add) field books.
    if [[ $command == monitor ]]; then
        if ((COMP_CWORD == i + 1)); then
            mapfile -t COMPREPLY < <(compgen -W "create add remove show report export" -- "$cur")
            return 0
        fi
        command="monitor ${COMP_WORDS[i + 1]}"
        if [[ $cur != -* ]]; then
            if [[ $command == "monitor add" ]]; then
                _velmora_tesk_cli_files "" "$cur" .dat .vtm
            else
                _velmora_tesk_cli_files "" "$cur"
            fi
            return 0
        fi
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_velmora_tesk_cli_options "$command")" -- "$cur")
        return 0
    fi
    _velmora_tesk_cli_files "" "$cur" .dat
}

complete -F _velmora_tesk_cli velmora-tesk-cli
