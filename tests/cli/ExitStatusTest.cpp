// SPDX-License-Identifier: MIT
// How a command's failure ends the tool: the message and the exit status of each kind.
#include "cli/Command.h"

#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <stdexcept>

using namespace velmora::cli;

namespace {

template <typename Failure>
int StatusOf(const Failure& failure, std::string& message, const std::string& book = "")
{
    std::ostringstream err;
    const int status = ReportFailure(std::make_exception_ptr(failure), "USAGE\n", book, err);
    message = err.str();
    return status;
}

}  // namespace

TEST(ExitStatusTest, AFaultOfOursIsNotBlamedOnAFile)
{
    std::string message;
    // std::out_of_range is a logic_error too: an index of ours that went wrong.
    EXPECT_EQ(StatusOf(std::out_of_range("vector::_M_range_check"), message), kInternalError);
    EXPECT_EQ(kInternalError, 70);
    EXPECT_EQ(message, "velmora-tesk-cli: internal error (a fault of the program, please report it): "
                       "vector::_M_range_check\n");
    EXPECT_EQ(StatusOf(std::logic_error("factor columns are not sorted"), message), 70);
}

TEST(ExitStatusTest, UsageFilesAndMemoryKeepTheirStatuses)
{
    std::string message;
    EXPECT_EQ(StatusOf(UsageError{"no command given"}, message), kUsageError);
    EXPECT_EQ(message, "velmora-tesk-cli: no command given\nUSAGE\n");
    EXPECT_EQ(StatusOf(std::runtime_error("cannot read x"), message), kFileError);
    EXPECT_EQ(message, "velmora-tesk-cli: cannot read x\n");
    EXPECT_EQ(StatusOf(std::bad_alloc(), message), kFileError);
    EXPECT_EQ(message, "velmora-tesk-cli: out of memory\n");
    EXPECT_EQ(StatusOf(std::bad_alloc(), message, "big\n.DAT"), kFileError);
    EXPECT_EQ(message, "velmora-tesk-cli: cannot work on big\\x0a.DAT: out of memory\n");
}
