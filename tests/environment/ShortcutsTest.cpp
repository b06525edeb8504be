// Writing and reading shortcut files, checked with an independent reader as well.
#include "environment/Shortcuts.h"

#include "EnvFixture.h"
#include "LnkInfo.h"
#include "platform/Encoding.h"

#include <string>

namespace vexo::environment {
namespace {

using test::EnvTest;

class ShortcutsTest : public EnvTest {};

TEST_F(ShortcutsTest, WritesTargetWorkingDirectoryAndDescription) {
    MakeDirectory("C:\\LINKS");
    ASSERT_TRUE(CreateShortcut("C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "DalvoVexo", "C:\\LINKS\\"));
    std::optional<ShortcutFields> read = ReadShortcut("C:\\LINKS\\DalvoVexo.lnk");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->target, "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE");
    EXPECT_EQ(read->workingDirectory, "C:\\VEXO\\DALVO\\Programa\\");
    EXPECT_EQ(read->description, ShortcutDescription());
}

TEST_F(ShortcutsTest, DescriptionIsTheFixedText) {
    EXPECT_EQ(platform::Cp1252ToUtf8(ShortcutDescription()),
              "Los Programas Vexo están especialmente diseñados para no causar ningún daño a la "
              "capa de ozono");
}

TEST_F(ShortcutsTest, ExistingShortcutIsReplaced) {
    MakeDirectory("C:\\LINKS");
    ASSERT_TRUE(CreateShortcut("C:\\A\\Programa\\UNO.EXE", "Prog", "C:\\LINKS\\"));
    ASSERT_TRUE(CreateShortcut("C:\\B\\Programa\\DOS.EXE", "Prog", "C:\\LINKS\\"));
    std::optional<ShortcutFields> read = ReadShortcut("C:\\LINKS\\Prog.lnk");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->target, "C:\\B\\Programa\\DOS.EXE");
    EXPECT_EQ(read->workingDirectory, "C:\\B\\Programa\\");
}

TEST_F(ShortcutsTest, UnwritableShortcutIsLeftOutQuietly) {
    EXPECT_FALSE(CreateShortcut("C:\\A\\X.EXE", "Prog", "C:\\NO\\EXISTE\\"));
    EXPECT_FALSE(ReadShortcut("C:\\NO\\EXISTE\\Prog.lnk").has_value());
}

TEST_F(ShortcutsTest, MissingOrDamagedFileIsNotLoaded) {
    EXPECT_FALSE(ReadShortcut("C:\\LINKS\\FALTA.lnk").has_value());
    WriteFile("C:\\LINKS\\MAL.lnk", "this is no shortcut");
    EXPECT_FALSE(ReadShortcut("C:\\LINKS\\MAL.lnk").has_value());
}

TEST_F(ShortcutsTest, IndependentReaderSeesTheSameFields) {
    if (!test::NoLnkInfo().empty()) GTEST_SKIP() << test::NoLnkInfo();
    MakeDirectory("C:\\LINKS");
    ASSERT_TRUE(CreateShortcut("C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "DalvoVexo", "C:\\LINKS\\"));
    auto fields = test::LnkInfo(vexo::test::Utf8Path(Host("C:\\LINKS\\DalvoVexo.lnk")));
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ((*fields)["Local path"], "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE");
    EXPECT_EQ((*fields)["Working directory"], "C:\\VEXO\\DALVO\\Programa\\");
    EXPECT_EQ((*fields)["Description"], platform::Cp1252ToUtf8(ShortcutDescription()));
}

} // namespace
} // namespace vexo::environment
