// Telling a file on this computer's own disks from one on a network share.
#include "platform/filelocation.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FileLocationTest, TheTemporaryFolderIsLocal) {
    testsupport::TempFolder folder;
    EXPECT_TRUE(platform::OnLocalDisk((folder.path() / "schedule.db").string()));
    EXPECT_TRUE(platform::OnLocalDisk(folder.path().string()));
}

#ifndef _WIN32
TEST(FileLocationTest, WhatCannotBeToldIsNotLocal) {
    testsupport::TempFolder folder;
    EXPECT_FALSE(platform::OnLocalDisk((folder.path() / "missing" / "schedule.db").string()));
}

#else
TEST(FileLocationTest, SharesAreNotLocal) {
    // Told by their form alone: nothing is asked of the network.
    for (const char* path : {"\\\\server\\share\\schedule.db", "//server/share/schedule.db",
                             "\\\\?\\UNC\\server\\share\\schedule.db"})
        EXPECT_FALSE(platform::OnLocalDisk(path)) << path;
}
#endif

} // namespace
