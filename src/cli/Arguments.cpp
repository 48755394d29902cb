// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "runs/ToleranceClass.h"

#include <algorithm>
#include <array>
#include <functional>
#include <stdexcept>

namespace velmora::cli {

Arguments::Arguments(std::vector<std::string> args, std::vector<std::string> optionsWithValue,
                     std::vector<std::string> flags)
{
    auto isOneOf = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (isOneOf(optionsWithValue, name)) {
            if (equals != std::string::npos) {
                values_.emplace_back(name, arg.substr(equals + 1));
            } else if (i + 1 < args.size()) {
                values_.emplace_back(name, args[++i]);
            } else {
                throw UsageError{Fill(Tr("option {1} needs a value"), {ControlCharactersShown(name)})};
            }
        } else if (isOneOf(flags, arg)) {
            flags_.push_back(arg);
        } else {
            throw UsageError{Fill(Tr("unknown option {1}"), {ControlCharactersShown(arg)})};
        }
    }
    for (const std::string& option : optionsWithValue) {
        if (IsListOption(option))
            continue;
        const std::vector<std::string> values = Values(option);
        if (std::adjacent_find(values.begin(), values.end(), std::not_equal_to<>()) != values.end())
            throw UsageError{Fill(Tr("{1} is given twice with different values"), {option})};
    }
}

bool Arguments::Has(const std::string& flag) const
{
    return std::find(flags_.begin(), flags_.end(), flag) != flags_.end();
}

bool Arguments::HasValue(const std::string& option) const
{
    return std::any_of(values_.begin(), values_.end(),
                       [&](const auto& value) { return value.first == option; });
}

std::vector<std::string> Arguments::Values(const std::string& option) const
{
    std::vector<std::string> values;
    for (const auto& [name, value] : values_) {
        if (name == option)
            values.push_back(value);
    }
    return values;
}

std::string Arguments::Value(const std::string& option, const std::string& fallback) const
{
    // A list read as one value would drop the lists given before the last.
    if (IsListOption(option))
        throw std::logic_error("the list option " + option + " is read as one value");
    // Every occurrence has the same value: the constructor refused any other.
    for (const auto& [name, value] : values_) {
        if (name == option)
            return value;
    }
    return fallback;
}

bool IsListOption(std::string_view option)
{
    constexpr std::array<std::string_view, 6> kListOptions = {"--delete", "--runs", "--fixed",
                                                               "--nodes", "--benchmarks", "--marks"};
    return std::find(kListOptions.begin(), kListOptions.end(), option) != kListOptions.end();
}

ToleranceClass ToleranceClassOption(const Arguments& arguments)
{
    const std::string name = arguments.Value("--class", ClassName(kStartClass));
    const auto toleranceClass = ClassFromName(name);
    if (!toleranceClass)
        throw UsageError{Fill(Tr("unknown class '{1}' (I, II, III or IV)"), {ControlCharactersShown(name)})};
    return *toleranceClass;
}

double ToleranceCoefficientOption(const Arguments& arguments)
{
    return CoefficientOf(ToleranceClassOption(arguments));
}

double SigmaOption(const std::string& text)
{
    constexpr double kSmallestSigma = 1e-6;  // metres of 1 km
    constexpr double kLargestSigma = 1.0;
    const double sigma = TextToNumber(text);
    if (!(sigma >= kSmallestSigma && sigma <= kLargestSigma))
        throw UsageError{Fill(Tr("--sigma wants the sigma of 1 km in metres, from 0.000001 to 1, not '{1}'"),
                              {ControlCharactersShown(text)})};
    return sigma;
}

std::vector<ListItem> SplitListItems(std::string_view text)
{
    std::vector<ListItem> items;
    if (text.empty())
        return items;
    items.emplace_back();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        ListItem& item = items.back();
        const bool escapes = c == '\\' && i + 1 < text.size() &&
                             (text[i + 1] == ',' || text[i + 1] == '=' || text[i + 1] == '\\');
        if (escapes) {
            item.text += text[++i];
        } else if (c == ',') {
            items.emplace_back();
        } else {
            if (c == '=' && item.equals == std::string::npos)
                item.equals = item.text.size();
            item.text += c;
        }
    }
    return items;
}

std::vector<std::string> SplitList(std::string_view text)
{
    std::vector<std::string> texts;
    for (ListItem& item : SplitListItems(text))
        texts.push_back(std::move(item.text));
    return texts;
}

}  // namespace velmora::cli
