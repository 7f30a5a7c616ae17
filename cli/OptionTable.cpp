#include "OptionTable.h"

#include <algorithm>

#include "Quoted.h"

bool isHelpFlag(std::string_view arg) { return arg == "--help" || arg == "-h"; }

namespace {

// An argument that stands where a value was expected but was surely meant as an option.
bool looksLikeForgottenValue(const std::string& arg) { return arg.size() > 2 && arg.rfind("--", 0) == 0; }

}  // namespace

OptionTable::Option& OptionTable::value(std::string name, std::string& target) {
    Option& option = options_.emplace_back();
    option.name_ = std::move(name);
    option.value_ = &target;
    return option;
}

OptionTable::Option& OptionTable::flag(std::string name, bool& target) {
    Option& option = options_.emplace_back();
    option.name_ = std::move(name);
    option.flag_ = &target;
    return option;
}

void OptionTable::positional(std::string name, std::string description, std::string& target) {
    positionals_.push_back({std::move(name), std::move(description), &target});
}

OptionTable::Reading OptionTable::read(const std::vector<std::string>& args, size_t first) {
    Reading reading;
    // The whole line is read even after a mistake, so that a request for help anywhere
    // in it is still answered; the first mistake is the one told.
    std::string error;
    auto fail = [&](std::string text) {
        if (error.empty()) error = std::move(text);
    };
    bool helpAsked = false;
    bool optionsEnded = false;
    size_t positionalsSeen = 0;
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool looksLikeOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!looksLikeOption) {
            if (positionalsSeen < positionals_.size()) *positionals_[positionalsSeen].target = arg;
            else fail("unexpected argument " + quoted(arg));
            ++positionalsSeen;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (isHelpFlag(arg)) {
            helpAsked = true;
            continue;
        }
        size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        auto option = std::find_if(options_.begin(), options_.end(),
                                   [&](const Option& o) { return o.name_ == name; });
        if (option == options_.end()) {
            fail("unknown option " + quoted(name));
            continue;
        }
        if (option->seen_) fail(name + " is given more than once");
        option->seen_ = true;
        if (option->flag_ != nullptr) {
            if (equals != std::string::npos) fail(name + " takes no value");
            *option->flag_ = true;
        } else if (equals != std::string::npos) {
            *option->value_ = arg.substr(equals + 1);
        } else if (i + 1 >= args.size() || looksLikeForgottenValue(args[i + 1])) {
            fail(name + " needs a value");
        } else {
            *option->value_ = args[++i];
        }
    }
    if (helpAsked) {
        reading.outcome = Outcome::HelpAsked;
        return reading;
    }
    if (error.empty()) {
        for (size_t k = 0; k < positionals_.size() && error.empty(); ++k) {
            if (k >= positionalsSeen || positionals_[k].target->empty())
                fail("missing " + positionals_[k].name + " (" + positionals_[k].description + ")");
        }
    }
    if (error.empty()) {
        std::string missing;
        for (const Option& o : options_)
            if (o.required_ && !o.seen_) missing += (missing.empty() ? "" : ", ") + o.name_;
        if (!missing.empty()) fail("missing " + missing);
    }
    for (const Option& o : options_) {
        if (!error.empty()) break;
        if (!o.seen_ || o.value_ == nullptr) continue;
        for (const Check& check : o.checks_) {
            std::vector<std::string> warnings;
            std::string reason = check(*o.value_, warnings);
            for (const std::string& warning : warnings) reading.warnings.push_back(o.name_ + ": " + warning);
            if (!reason.empty()) {
                fail(o.name_ + ": " + reason);
                break;
            }
        }
    }
    if (!error.empty()) {
        reading.error = std::move(error);
        reading.warnings.clear();
        return reading;
    }
    reading.outcome = Outcome::Read;
    return reading;
}
