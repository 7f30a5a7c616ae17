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

OptionTable::Option& OptionTable::values(std::string name, std::vector<std::string>& target) {
    Option& option = options_.emplace_back();
    option.name_ = std::move(name);
    option.values_ = &target;
    return option;
}

OptionTable::Option& OptionTable::flag(std::string name, bool& target) {
    Option& option = options_.emplace_back();
    option.name_ = std::move(name);
    option.flag_ = &target;
    return option;
}

OptionTable::Positional& OptionTable::positional(std::string name, std::string description, std::string& target) {
    Positional& positional = positionals_.emplace_back();
    positional.name_ = std::move(name);
    positional.description_ = std::move(description);
    positional.target_ = &target;
    return positional;
}

const OptionTable::Option* OptionTable::find(const std::string& name) const {
    auto option = std::find_if(options_.begin(), options_.end(), [&](const Option& o) { return o.name_ == name; });
    return option == options_.end() ? nullptr : &*option;
}

// The first option given without one it needs, or with one it excludes.
std::string OptionTable::relationError() const {
    auto given = [this](const std::string& name) {
        const Option* option = find(name);
        return option != nullptr && option->seen_;
    };
    for (const Option& o : options_) {
        if (!o.seen_) continue;
        for (const std::string& other : o.requires_) {
            if (given(other)) continue;
            const Option* partner = find(other);
            bool mutual = partner != nullptr && std::find(partner->requires_.begin(), partner->requires_.end(),
                                                          o.name_) != partner->requires_.end();
            return mutual ? o.name_ + " and " + other + " go together" : o.name_ + " needs " + other;
        }
        for (const auto& [other, reason] : o.excludes_)
            if (given(other)) return o.name_ + " does not go with " + other + (reason.empty() ? "" : ": " + reason);
    }
    return "";
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
            if (positionalsSeen < positionals_.size()) {
                *positionals_[positionalsSeen].target_ = arg;
                positionals_[positionalsSeen].seen_ = true;
            } else {
                fail("unexpected argument " + quoted(arg));
            }
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
        if (option->seen_ && option->values_ == nullptr) fail(name + " is given more than once");
        option->seen_ = true;
        std::string* value = option->value_;
        if (option->values_ != nullptr) value = &option->values_->emplace_back();
        if (option->flag_ != nullptr) {
            if (equals != std::string::npos) fail(name + " takes no value");
            *option->flag_ = true;
        } else if (equals != std::string::npos) {
            *value = arg.substr(equals + 1);
        } else if (i + 1 >= args.size() || looksLikeForgottenValue(args[i + 1])) {
            fail(name + " needs a value");
        } else {
            *value = args[++i];
        }
    }
    if (helpAsked) {
        reading.outcome = Outcome::HelpAsked;
        return reading;
    }
    for (const Positional& p : positionals_) {
        if (p.optional_ || (p.seen_ && !p.target_->empty())) continue;
        fail("missing " + p.name_ + " (" + p.description_ + ")");
    }
    if (error.empty()) {
        std::string missing;
        for (const Option& o : options_)
            if (o.required_ && !o.seen_) missing += (missing.empty() ? "" : ", ") + o.name_;
        if (!missing.empty()) fail("missing " + missing);
    }
    for (const Option& o : options_) {
        const Option* instead = o.requiredUnless_.empty() ? nullptr : find(o.requiredUnless_);
        if (instead != nullptr && !o.seen_ && !instead->seen_)
            fail(o.name_ + " is required (unless " + instead->name_ + " is given)");
    }
    if (error.empty()) fail(relationError());
    for (const Positional& p : positionals_) {
        if (!error.empty()) break;
        if (!p.seen_) continue;
        for (const Check& check : p.checks_) {
            std::string reason = check(*p.target_, reading.warnings);
            if (!reason.empty()) {
                fail(reason);
                break;
            }
        }
    }
    for (const Option& o : options_) {
        if (!error.empty()) break;
        if (o.seen_ && o.gdalAlways_ && reading.needsGdal.empty()) reading.needsGdal = o.name_;
        if (!o.seen_ || !o.takesValue()) continue;
        const std::vector<std::string> given = o.values_ != nullptr ? *o.values_ : std::vector<std::string>{*o.value_};
        for (const std::string& value : given) {
            for (const Check& check : o.checks_) {
                std::vector<std::string> warnings;
                std::string reason = check(value, warnings);
                for (const std::string& warning : warnings) reading.warnings.push_back(o.name_ + ": " + warning);
                if (!reason.empty()) {
                    fail(o.name_ + ": " + reason);
                    break;
                }
            }
            if (!error.empty()) break;
        }
    }
    for (const Positional& p : positionals_) {
        if (!error.empty() || !reading.needsGdal.empty()) break;
        if (p.seen_ && p.gdalWhen_) reading.needsGdal = p.gdalWhen_(*p.target_);
    }
    if (!error.empty()) {
        reading.error = std::move(error);
        reading.warnings.clear();
        return reading;
    }
    reading.outcome = Outcome::Read;
    return reading;
}
