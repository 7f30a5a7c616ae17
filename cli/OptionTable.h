#pragma once
// The arguments of one command: its options, each with where its value goes and the check
// the value must pass, and its positional arguments. A command builds its table, then
// reads its arguments through it:
//
//     OptionTable table;
//     table.positional("BITMAP", "the bitmap file to read", bitmap);
//     table.value("--folder", folder).required();
//     table.value("--top-left", text).check(readCorner(topLeft));
//     table.flag("--json", json);
//     OptionTable::Reading reading = table.read(args, 1);
//
// Options take their value as the next argument or after '=' (--name=NAME). A following
// argument that starts with "--" is taken for a forgotten value, not for the value. "--"
// ends the options. "-h" or "--help" where an option may stand asks for help; given as a
// value it is that value.

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class OptionTable {
public:
    // Checks a value that was given, stores what it reads wherever it was made to, and
    // returns "" or the reason the value is refused. It may add warnings about values it
    // takes. The table puts the option's name before both.
    using Check = std::function<std::string(const std::string& value, std::vector<std::string>& warnings)>;

    class Option {
    public:
        Option& required() {
            required_ = true;
            return *this;
        }
        // Checks run after every argument was read, in the order of the table, each only
        // when its option was given.
        Option& check(Check check) {
            checks_.push_back(std::move(check));
            return *this;
        }

    private:
        friend class OptionTable;
        std::string name_;
        std::string* value_ = nullptr;  // options that take a value
        bool* flag_ = nullptr;          // options that take none
        bool required_ = false;
        bool seen_ = false;
        std::vector<Check> checks_;
    };

    // An option that takes a value, stored as typed.
    Option& value(std::string name, std::string& target);
    // An option that takes no value; target becomes true when it is given.
    Option& flag(std::string name, bool& target);
    // The next positional argument; every positional argument is required and not empty.
    void positional(std::string name, std::string description, std::string& target);

    enum class Outcome { Read, HelpAsked, Refused };
    struct Reading {
        Outcome outcome = Outcome::Refused;
        std::string error;                  // one line, when Refused
        std::vector<std::string> warnings;  // from the checks, when Read
    };

    // Reads args[first], args[first + 1], ... (the words after the command's name).
    Reading read(const std::vector<std::string>& args, size_t first);

private:
    struct Positional {
        std::string name;
        std::string description;
        std::string* target;
    };

    std::deque<Option> options_;  // a deque, so the Option& handed out stay valid
    std::vector<Positional> positionals_;
};

bool isHelpFlag(std::string_view arg);
