// SPDX-License-Identifier: MIT
#include "fieldbook/FilePath.h"

#include <gtest/gtest.h>

using namespace velmora;

TEST(FilePathTest, FolderEndsAtTheLastSlash)
{
    EXPECT_EQ(FolderOf("/data/levels/book.DAT"), "/data/levels/");
    EXPECT_EQ(FolderOf("/book.DAT"), "/");
    EXPECT_EQ(FolderOf("book.DAT"), "");
    EXPECT_EQ(FolderOf("data/"), "data/");
    EXPECT_EQ(FolderOf("a\\b.DAT"), "");  // a backslash is part of a name
    EXPECT_EQ(NameOf("/data/book.DAT"), "book.DAT");
    EXPECT_EQ(NameOf("book.DAT"), "book.DAT");
    EXPECT_EQ(NameOf("data/"), "");
}

TEST(FilePathTest, OpenableFolderIsDotForABareNameAndRootForTheRoot)
{
    EXPECT_EQ(OpenableFolderOf("book.DAT"), ".");
    EXPECT_EQ(OpenableFolderOf("/book.DAT"), "/");
    EXPECT_EQ(OpenableFolderOf("/data/levels/book.DAT"), "/data/levels");
    EXPECT_EQ(OpenableFolderOf("levels/book.DAT"), "levels");
}
