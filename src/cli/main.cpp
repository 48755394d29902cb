// SPDX-License-Identifier: MIT
// velmora-tesk-cli: the field-book core on the command line, for batch work and scripts.

#include "cli/Command.h"
#include "cli/Usage.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/Translation.h"

#include "Version.h"

#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The usage or the version on standard output; a closed or full output is an error.
int PrintAnswer(const std::string& text)
{
    errno = 0;
    std::cout << text << std::flush;
    if (std::cout)
        return velmora::cli::kSuccess;
    std::cerr << "velmora-tesk-cli: " << velmora::Tr("cannot write to standard output")
              << (errno ? ": " + velmora::FailureText(errno) : std::string()) << "\n";
    return velmora::cli::kFileError;
}

// `help [COMMAND]`: the whole usage, or the command's part.
int PrintHelp(const std::vector<std::string>& args)
{
    using namespace velmora::cli;
    if (args.size() > 1)
        throw UsageError{velmora::Tr("help takes at most one command")};
    if (args.empty())
        return PrintAnswer(UsageText());
    if (!IsCommand(args.front()))
        throw UsageError{UnknownCommandText(args.front())};
    return PrintAnswer(CommandUsageText(args.front()));
}

int RunCommand(const std::string& command, const std::vector<std::string>& args)
{
    using namespace velmora::cli;
    if (command == "runs")
        return RunRunsCommand(args, std::cout, std::cerr);
    if (command == "save")
        return RunSaveCommand(args, std::cout, std::cerr);
    if (command == "export")
        return RunExportCommand(args, std::cout, std::cerr);
    if (command == "adjust")
        return RunAdjustCommand(args, std::cout, std::cerr);
    if (command == "check")
        return RunCheckCommand(args, std::cout, std::cerr);
    if (command == "report")
        return RunReportCommand(args, std::cout, std::cerr);
    if (command == "monitor")
        return RunMonitorCommand(args, std::cout, std::cerr);
    if (command == "help")
        return PrintHelp(args);
    throw UsageError{UnknownCommandText(command)};
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace velmora::cli;
    velmora::KeepStandardDescriptorsTaken();
    if (const std::string warning = velmora::UseUserLanguage(velmora::ProgramLocaleFolder()); !warning.empty())
        std::cerr << "velmora-tesk-cli: " << warning << "\n";
    std::vector<std::string> args(argv + 1, argv + argc);
    // The first word names the command, if it is one: its --help is its own part of the usage,
    // and a usage error points there.
    const std::string command = args.empty() ? std::string() : args.front();
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h")
            return PrintAnswer(IsCommand(command) ? CommandUsageText(command) : UsageText());
        if (arg == "--version")
            return PrintAnswer(std::string(velmora::kProgramNameAndVersion) + "\n");
    }
    try {
        if (args.empty())
            throw UsageError{velmora::Tr("no command given")};
        args.erase(args.begin());
        return RunCommand(command, args);
    } catch (...) {
        return ReportFailure(std::current_exception(), SeeHelpText(command) + "\n", FieldBookInUse(),
                             std::cerr);
    }
}
