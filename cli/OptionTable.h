#pragma once
// The arguments of one command: its operands and options, each with where its value goes,
// the check the value must pass and the help that tells it, and what the options need of
// each other. A command declares its table, then reads its arguments through it:
//
//     OptionTable table;
//     table.positional("BITMAP", "the bitmap file to read", bitmap).help("a 24-bit bitmap");
//     table.value("--folder", folder).valueName("FOLDER").required().help("1 to 8 characters");
//     table.value("--top-left", text).valueName("LAT,LON").check(readCorner(topLeft));
//     table.value("--bottom-right", text2).valueName("LAT,LON").requiresOption("--top-left");
//     table.flag("--json", json).help("one JSON object instead of the report");
//     OptionTable::Reading reading = table.read(args, 1);
//
// The same declaration makes the command's help, the manual page and the completion
// (HelpText.h, packaging/), so what is read and what is told cannot part.
//
// Options take their value as the next argument or after '=' (--name=NAME). A following
// argument that starts with "--" is taken for a forgotten value, not for the value. "--"
// ends the options. "-h" or "--help" where an option may stand asks for help; given as a
// value it is that value.

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
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
        // Required unless the other option is given (import's --name, unless --bmp).
        Option& requiredUnless(std::string other) {
            requiredUnless_ = std::move(other);
            return *this;
        }
        // Given, it needs the other option given too. (`requires` is a keyword.)
        Option& requiresOption(std::string other) {
            requires_.push_back(std::move(other));
            return *this;
        }
        // Never given with the other option; reason says why, for the error.
        Option& excludes(std::string other, std::string reason = "") {
            excludes_.emplace_back(std::move(other), std::move(reason));
            return *this;
        }
        // Checks run after every argument was read, in the order of the table, each only
        // when its option was given.
        Option& check(Check check) {
            checks_.push_back(std::move(check));
            return *this;
        }
        Option& help(std::string text) {
            help_ = std::move(text);
            return *this;
        }
        // What help shows for the value: "DIR", "LAT,LON".
        Option& valueName(std::string name) {
            valueName_ = std::move(name);
            return *this;
        }
        // Given at all, this option asks for work done with GDAL (probe's --window).
        Option& needsGdalWhenGiven() {
            gdalAlways_ = true;
            return *this;
        }

        const std::string& name() const { return name_; }
        bool takesValue() const { return value_ != nullptr || values_ != nullptr; }
        bool isRepeatable() const { return values_ != nullptr; }
        const std::string& placeholder() const { return valueName_; }
        const std::string& helpText() const { return help_; }
        bool isRequired() const { return required_; }
        const std::string& requiredUnlessOption() const { return requiredUnless_; }
        const std::vector<std::string>& requiredOptions() const { return requires_; }
        const std::vector<std::pair<std::string, std::string>>& excludedOptions() const { return excludes_; }

    private:
        friend class OptionTable;
        std::string name_;
        std::string* value_ = nullptr;  // options that take a value
        std::vector<std::string>* values_ = nullptr;  // options given any number of times
        bool* flag_ = nullptr;          // options that take none
        bool required_ = false;
        bool seen_ = false;
        std::string requiredUnless_;
        std::vector<std::string> requires_;
        std::vector<std::pair<std::string, std::string>> excludes_;  // option, reason
        std::vector<Check> checks_;
        std::string help_;
        std::string valueName_;
        bool gdalAlways_ = false;
    };

    class Positional {
    public:
        Positional& help(std::string text) {
            help_ = std::move(text);
            return *this;
        }
        // May be left out; help shows it as [NAME].
        Positional& optional() {
            optional_ = true;
            return *this;
        }
        // Runs before the options' checks; its reason is told as it is, so it names the
        // operand itself.
        Positional& check(Check check) {
            checks_.push_back(std::move(check));
            return *this;
        }
        // Whether the operand asks for work done with GDAL: what does ("x.tif, not a
        // bitmap"), or "". Asked once the line was read without a mistake.
        Positional& needsGdalWhen(std::function<std::string(const std::string& value)> when) {
            gdalWhen_ = std::move(when);
            return *this;
        }

        const std::string& name() const { return name_; }
        const std::string& description() const { return description_; }
        // The help, else the description.
        const std::string& helpText() const { return help_.empty() ? description_ : help_; }
        bool isOptional() const { return optional_; }

    private:
        friend class OptionTable;
        std::string name_;
        std::string description_;  // in "missing NAME (description)"
        std::string help_;
        std::string* target_ = nullptr;
        bool optional_ = false;
        bool seen_ = false;
        std::vector<Check> checks_;
        std::function<std::string(const std::string&)> gdalWhen_;
    };

    // An option that takes a value, stored as typed.
    Option& value(std::string name, std::string& target);
    // An option that takes a value and may be given more than once: each value is added
    // to target, in the order given, and the checks run on each in turn.
    Option& values(std::string name, std::vector<std::string>& target);
    // An option that takes no value; target becomes true when it is given.
    Option& flag(std::string name, bool& target);
    // The next positional argument; one not made optional is required and not empty.
    Positional& positional(std::string name, std::string description, std::string& target);

    // What the command's help says before its operands and options, and after them.
    void description(std::string text) { description_ = std::move(text); }
    void footer(std::string text) { footer_ = std::move(text); }

    const std::deque<Option>& options() const { return options_; }
    const std::deque<Positional>& positionals() const { return positionals_; }
    const std::string& description() const { return description_; }
    const std::string& footer() const { return footer_; }

    enum class Outcome { Read, HelpAsked, Refused };
    struct Reading {
        Outcome outcome = Outcome::Refused;
        std::string error;                  // one line, when Refused
        std::vector<std::string> warnings;  // from the checks, when Read
        // when Read: what asks for GDAL ("--window"), or "": the options first, in the
        // order of the table, then the operands
        std::string needsGdal;
    };

    // Reads args[first], args[first + 1], ... (the words after the command's name).
    Reading read(const std::vector<std::string>& args, size_t first);

private:
    const Option* find(const std::string& name) const;
    std::string relationError() const;

    // deques, so that the Option& and Positional& handed out stay valid
    std::deque<Option> options_;
    std::deque<Positional> positionals_;
    std::string description_;
    std::string footer_;
};

bool isHelpFlag(std::string_view arg);
