#include "BashCompletion.h"

#include <vector>

#include "CommandTable.h"

namespace {

std::string joined(const std::vector<std::string>& words, const char* separator) {
    std::string out;
    for (const std::string& word : words) out += (out.empty() ? "" : separator) + word;
    return out;
}

// Every command but help, for help's operand.
std::vector<std::string> helpTopics() {
    std::vector<std::string> names;
    for (const Command& command : commandTable())
        if (command.name != "help") names.push_back(command.name);
    return names;
}

// The completions for a value named by its placeholder.
std::string valueCompletion(const std::string& placeholder) {
    if (placeholder == "DIR") return "COMPREPLY=($(compgen -d -- \"$cur\"))";
    if (placeholder == "BITMAP" || placeholder == "OUT.bmp")
        return "COMPREPLY=($(compgen -f -X '!*.[bB][mM][pP]' -- \"$cur\") "
               "$(compgen -d -- \"$cur\"))";
    if (placeholder == "FILE")  // preview: a map's index or a bitmap
        return "COMPREPLY=($(compgen -f -X '!*.[bB][mM][pP]' -- \"$cur\") $(compgen -f -X '!*.vlm' -- \"$cur\") "
               "$(compgen -d -- \"$cur\"))";
    if (placeholder == "PNG")
        return "COMPREPLY=($(compgen -f -X '!*.[pP][nN][gG]' -- \"$cur\") $(compgen -d -- \"$cur\"))";
    if (placeholder == "INDEX") return "COMPREPLY=($(compgen -f -X '!*.vlm' -- \"$cur\") $(compgen -d -- \"$cur\"))";
    if (placeholder == "MAPFILE")
        return "COMPREPLY=($(compgen -f -X '!*.vlm' -- \"$cur\") $(compgen -f -X '!*.map' -- \"$cur\") "
               "$(compgen -d -- \"$cur\"))";
    if (placeholder == "SOURCE") return "COMPREPLY=($(compgen -f -- \"$cur\"))";  // anything GDAL reads
    if (placeholder == "COMMAND") return "COMPREPLY=($(compgen -W \"" + joined(helpTopics(), " ") + "\" -- \"$cur\"))";
    return "COMPREPLY=()";  // a name, an angle, a number: nothing to offer
}

std::string commandCase(const Command& command) {
    OptionTable table;
    command.declare(table);
    std::vector<std::string> all;
    std::string values;
    for (const OptionTable::Option& option : table.options()) {
        all.push_back(option.name());
        if (option.takesValue())
            values += "                " + option.name() + ") " + valueCompletion(option.placeholder()) +
                      "; return ;;\n";
    }
    all.insert(all.end(), {"-h", "--help"});
    std::string operand = table.positionals().empty() ? std::string() : table.positionals().front().name();
    std::string out = "        " + command.name + ")\n";
    if (!values.empty()) out += "            case $prev in\n" + values + "            esac\n";
    out += "            if [[ $cur == -* ]]; then\n";
    out += "                COMPREPLY=($(compgen -W \"" + joined(all, " ") + "\" -- \"$cur\"))\n";
    out += "            else\n                " + valueCompletion(operand) + "\n";
    out += "            fi\n            ;;\n";
    return out;
}

}  // namespace

std::string bashCompletion() {
    std::vector<std::string> words;
    for (const Command& command : commandTable()) words.push_back(command.name);
    words.insert(words.end(), {"--help", "--version"});

    std::string out =
        "# bash completion for tessella, made from its command table.\n"
        "_tessella()\n"
        "{\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
        "    local command='' i\n"
        "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
        "        if [[ ${COMP_WORDS[i]} != -* ]]; then command=${COMP_WORDS[i]}; break; fi\n"
        "    done\n"
        "    compopt -o filenames 2>/dev/null\n"
        "    case $command in\n"
        "        '')\n"
        "            COMPREPLY=($(compgen -W \"" +
        joined(words, " ") +
        "\" -- \"$cur\"))\n"
        "            ;;\n";
    for (const Command& command : commandTable()) out += commandCase(command);
    out +=
        "        *)\n"
        "            COMPREPLY=()\n"
        "            ;;\n"
        "    esac\n"
        "}\n"
        "complete -F _tessella tessella\n";
    return out;
}
