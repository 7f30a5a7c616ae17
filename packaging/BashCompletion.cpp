#include "BashCompletion.h"

#include "HelpOutline.h"

namespace {

std::string joined(const std::vector<std::string>& words, const char* separator) {
    std::string out;
    for (const std::string& word : words) out += (out.empty() ? "" : separator) + word;
    return out;
}

// The completions for a value named by a placeholder.
std::string valueCompletion(const std::string& placeholder) {
    if (placeholder == "DIR") return "COMPREPLY=($(compgen -d -- \"$cur\"))";
    if (placeholder == "BITMAP")
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
    return "COMPREPLY=()";  // a name, an angle, a number: nothing to offer
}

std::string commandCase(const HelpCommand& command, const std::vector<std::string>& names) {
    std::string out = "        " + command.name + ")\n";
    if (command.name == "help")
        return out + "            COMPREPLY=($(compgen -W \"" + joined(names, " ") +
               "\" -- \"$cur\"))\n            ;;\n";
    std::vector<std::string> all;
    std::string values;
    for (const HelpOption& option : command.options) {
        all.insert(all.end(), option.names.begin(), option.names.end());
        if (!option.value.empty())
            values += "                " + joined(option.names, "|") + ") " +
                      valueCompletion(option.value) + "; return ;;\n";
    }
    if (!values.empty()) out += "            case $prev in\n" + values + "            esac\n";
    out += "            if [[ $cur == -* ]]; then\n";
    out += "                COMPREPLY=($(compgen -W \"" + joined(all, " ") + "\" -- \"$cur\"))\n";
    out += "            else\n                " + valueCompletion(command.positional) + "\n";
    out += "            fi\n            ;;\n";
    return out;
}

}  // namespace

std::string bashCompletion() {
    HelpOutline outline = readHelpOutline();
    std::vector<std::string> names;
    for (const HelpCommand& command : outline.commands) names.push_back(command.name);
    std::vector<std::string> commandNames;
    for (const HelpCommand& command : outline.commands)
        if (command.name != "help") commandNames.push_back(command.name);

    std::string out =
        "# bash completion for tessella, made from the text of tessella --help.\n"
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
        joined(names, " ") + " " + joined(outline.programOptions, " ") +
        "\" -- \"$cur\"))\n"
        "            ;;\n";
    for (const HelpCommand& command : outline.commands)
        out += commandCase(command, commandNames);
    out +=
        "        *)\n"
        "            COMPREPLY=()\n"
        "            ;;\n"
        "    esac\n"
        "}\n"
        "complete -F _tessella tessella\n";
    return out;
}
