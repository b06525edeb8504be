// FaultInjectionTest.cpp - armed faults make the file layer fail as a failing device would.
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTestPrefix.h"

#include <gtest/gtest.h>

using namespace vexo::platform;

TEST(FaultInjection, NthWriteFailsOnceOrPersistently) {
    ScopedTestPrefix prefix;
    ScopedFaults faults;
    auto s = OpenFile("C:\\w.bin", OpenMode::Create);
    InjectFault(FaultKind::Write, {2, false});
    EXPECT_EQ(s->Write("ab", 2), 2u);
    EXPECT_EQ(s->Write("cd", 2), 0u);
    EXPECT_EQ(LastError(), kErrorWriteFault);
    EXPECT_EQ(s->Write("ef", 2), 2u); // transient: the next one succeeds
    EXPECT_EQ(FaultCallCount(FaultKind::Write), 3);
    EXPECT_EQ(FaultFailureCount(FaultKind::Write), 1);

    InjectFault(FaultKind::Write, {1, true});
    EXPECT_THROW(s->WriteBuffer("gh", 2), EWriteError);
    EXPECT_EQ(s->Write("ij", 2), 0u);
    EXPECT_EQ(FaultFailureCount(FaultKind::Write), 2);
    ResetFaults();
    EXPECT_EQ(FaultCallCount(FaultKind::Write), 0);
    EXPECT_EQ(s->Write("kl", 2), 2u);
    EXPECT_EQ(s->Size(), 6);
}

TEST(FaultInjection, DiskFullGivesAShortWrite) {
    ScopedTestPrefix prefix;
    ScopedFaults faults;
    auto s = OpenFile("C:\\full.bin", OpenMode::Create);
    InjectFault(FaultKind::DiskFull, {1, true});
    EXPECT_EQ(s->Write("12345678", 8), 4u);
    EXPECT_EQ(LastError(), kErrorDiskFull);
    EXPECT_EQ(s->Size(), 4);
    EXPECT_THROW(s->WriteBuffer("12", 2), EWriteError);
}

TEST(FaultInjection, RenameAndCreationRefused) {
    ScopedTestPrefix prefix;
    ScopedFaults faults;
    OpenFile("C:\\a.txt", OpenMode::Create);
    InjectFault(FaultKind::Rename, {1, false, kErrorSharingViolation});
    EXPECT_FALSE(RenameFile("C:\\a.txt", "C:\\b.txt"));
    EXPECT_EQ(LastError(), kErrorSharingViolation);
    EXPECT_TRUE(FileExists("C:\\a.txt"));
    EXPECT_TRUE(RenameFile("C:\\a.txt", "C:\\b.txt"));

    InjectFault(FaultKind::CreateFile, {2, false});
    EXPECT_NO_THROW(OpenFile("C:\\one.txt", OpenMode::Create));
    try {
        OpenFile("C:\\two.txt", OpenMode::Create);
        ADD_FAILURE() << "second creation succeeded";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Code(), kErrorAccessDenied);
    }
    EXPECT_FALSE(FileExists("C:\\two.txt"));
    EXPECT_NO_THROW(OpenFile("C:\\b.txt", OpenMode::Read)); // opening is no creation
    EXPECT_EQ(FaultCallCount(FaultKind::CreateFile), 2);

    InjectFault(FaultKind::CreateDirectory, {1, true});
    EXPECT_FALSE(CreateDirectory("C:\\d1"));
    EXPECT_FALSE(CreateDirectory("C:\\d2"));
    EXPECT_FALSE(DirectoryExists("C:\\d1"));
}
