#include "fieldbook/AtomicFile.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using velmora::AtomicFile;
using velmora::testing::ReadWholeFile;
using velmora::testing::WriteTemporaryFile;
namespace fs = std::filesystem;

TEST(AtomicFileTest, CommitReplacesTheTargetAndKeepsItsPermissions)
{
    const std::string path = WriteTemporaryFile("atomic.txt", "old");
    chmod(path.c_str(), 0640);
    std::string error;
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.Open(error)) << error;
        ASSERT_TRUE(file.Write("new ", error));
        ASSERT_TRUE(file.Write(std::string(3 << 20, 'z'), error));  // larger than the buffer
        EXPECT_EQ(ReadWholeFile(path), "old");  // nothing visible before the commit
        ASSERT_TRUE(file.Commit(error)) << error;
        EXPECT_FALSE(fs::exists(file.temporaryPath()));
    }
    EXPECT_EQ(ReadWholeFile(path).size(), 4u + (3u << 20));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(AtomicFileTest, AbandonedFileLeavesTargetAndNoTemporary)
{
    const std::string path = WriteTemporaryFile("abandoned.txt", "keep me");
    std::string temporary;
    {
        AtomicFile file(path);
        std::string error;
        ASSERT_TRUE(file.Open(error));
        ASSERT_TRUE(file.Write("half", error));
        temporary = file.temporaryPath();
        EXPECT_TRUE(fs::exists(temporary));
    }
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(ReadWholeFile(path), "keep me");
}

TEST(AtomicFileTest, SavingThroughASymbolicLinkReplacesTheFileItPointsTo)
{
    const std::string target = WriteTemporaryFile("linked-target.txt", "old");
    const std::string link = fs::path(target).parent_path() / "link.txt";
    fs::remove(link);
    fs::create_symlink(target, link);
    AtomicFile file(link);
    std::string error;
    ASSERT_TRUE(file.Open(error) && file.Write("new", error) && file.Commit(error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(target), "new");
}
