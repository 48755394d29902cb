// SPDX-License-Identifier: MIT
// Inputs the fuzz targets once failed on, and the fuzz targets' seed inputs, run through the same
// checks as the targets (fuzz/checks) under the normal build. A file's name says its target:
// fieldbook-*, journal-*, adjustment-* or workbook-*.

#include "checks/FuzzChecks.h"
#include "checks/FuzzSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace velmora::fuzz {
namespace {

namespace fs = std::filesystem;

struct Case {
    std::string target;
    fs::path file;
};

void (*CheckOf(const std::string& target))(std::string_view)
{
    if (target == "fieldbook")
        return CheckFieldBook;
    if (target == "journal")
        return CheckJournal;
    if (target == "adjustment")
        return CheckAdjustment;
    if (target == "workbook")
        return CheckWorkbook;
    return nullptr;
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    const fs::path tests = VELMORA_TEST_DATA_DIR;
    // Findings: the target is the part of the name before the first '-'.
    for (const auto& entry : fs::directory_iterator(tests / "fuzz_regressions")) {
        const std::string name = entry.path().filename().string();
        const std::string target = name.substr(0, name.find('-'));
        if (entry.is_regular_file() && CheckOf(target))
            cases.push_back({target, entry.path()});
    }
    // Seeds: fuzz/corpus/<target>/*.
    const fs::path corpus = tests.parent_path() / "fuzz" / "corpus";
    for (const char* target : {"fieldbook", "journal", "adjustment", "workbook"}) {
        if (!fs::is_directory(corpus / target))
            continue;
        for (const auto& entry : fs::directory_iterator(corpus / target)) {
            if (entry.is_regular_file())
                cases.push_back({target, entry.path()});
        }
    }
    std::sort(cases.begin(), cases.end(), [](const Case& a, const Case& b) { return a.file < b.file; });
    return cases;
}

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.file;
}

class FuzzRegressionTest : public ::testing::TestWithParam<Case> {};

TEST_P(FuzzRegressionTest, HoldsTheTargetsInvariants)
{
    std::string input;
    ASSERT_TRUE(ReadWholeFile(GetParam().file.string(), input)) << GetParam().file;
    try {
        CheckOf(GetParam().target)(input);
    } catch (const CheckFailure& failure) {
        ADD_FAILURE() << GetParam().file << ": " << failure.what();
    }
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string name = info.param.file.parent_path().filename().string() + "_" +
                       info.param.file.filename().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzRegressionTest, ::testing::ValuesIn(Cases()), CaseName);

TEST(FuzzRegressionFolderTest, HoldsInputs)
{
    EXPECT_FALSE(Cases().empty());
}

}  // namespace
}  // namespace velmora::fuzz
