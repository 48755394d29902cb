#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::cli {

/// Exit statuses of the command-line tool.
enum ExitStatus : int {
    kSuccess = 0,
    kFileError = 1,   ///< a file could not be read or written
    kUsageError = 2,  ///< the command line is wrong
    kFindings = 4,    ///< check or report found limits broken (the report was still written)
};

/// Thrown for a wrong command line; the message says what is wrong.
struct UsageError {
    std::string message;
};

/// Arguments of one subcommand, taken apart: options with their values, flags, and the rest.
class Arguments {
public:
    Arguments(std::vector<std::string> args, std::vector<std::string> optionsWithValue,
              std::vector<std::string> flags);

    bool Has(const std::string& flag) const;
    /// The value of an option, or `fallback` when it was not given.
    std::string Value(const std::string& option, const std::string& fallback = "") const;
    bool HasValue(const std::string& option) const;
    const std::vector<std::string>& positional() const { return positional_; }

private:
    std::vector<std::pair<std::string, std::string>> values_;
    std::vector<std::string> flags_;
    std::vector<std::string> positional_;
};

/// The coefficient of the class named by --class (I, II, III or IV; II when not given).
double ToleranceCoefficientOption(const Arguments& arguments);

/// Splits "a,b,c" at commas; the empty text gives no element.
std::vector<std::string> SplitList(const std::string& text);

int RunRunsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunSaveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
