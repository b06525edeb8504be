// RulesTest.cpp - the window's decisions that need no window: keys, prompt grids, the folder
// browser's start, the boxes' styles.
#include "ui/PromptGrid.h"
#include "ui/win32/Boxes.h"
#include "ui/win32/KeyRouting.h"
#include "ui/win32/Win32FolderBrowser.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vexo::ui::win32 {
namespace {

struct KeyCase {
    int key;
    FocusKind focus;
    bool focusedEnabled;
    bool haveDefault;
    KeyAction expected;
};

class RouteKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RouteKeyTest, Routes) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(RouteKey(c.key, KeyContext{c.focus, c.focusedEnabled, c.haveDefault}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RouteKeyTest,
    ::testing::Values(
        // Esc is the window's wherever the focus is.
        KeyCase{27, FocusKind::DirectoryField, true, true, KeyAction::EscapePressed},
        KeyCase{27, FocusKind::Button, false, false, KeyAction::EscapePressed},
        // Enter in the directory field runs the field's handler, even with a default button.
        KeyCase{13, FocusKind::DirectoryField, true, true, KeyAction::DirectoryEnter},
        // A focused button takes Enter itself; a disabled one swallows it.
        KeyCase{13, FocusKind::Button, true, true, KeyAction::ClickFocused},
        KeyCase{13, FocusKind::Button, false, true, KeyAction::Swallow},
        // Elsewhere Enter presses the default button, or is not the window's.
        KeyCase{13, FocusKind::Other, true, true, KeyAction::ClickDefault},
        KeyCase{13, FocusKind::Other, true, false, KeyAction::PassOn},
        // Any other key goes to the control.
        KeyCase{'A', FocusKind::DirectoryField, true, true, KeyAction::PassOn},
        KeyCase{9, FocusKind::Button, true, true, KeyAction::PassOn}));

std::string Cells(const archive::PromptView& view) {
    std::string s;
    for (const PromptCell& c : PromptCells(view))
        s += std::to_string(c.row) + "," + std::to_string(c.column) + "x" + std::to_string(c.span) +
             ":" + c.text + ";";
    return s;
}

TEST(PromptCellsTest, OverwriteBlocksPutNamesBesideLabelsAndDatesBelow) {
    archive::OverwritePromptData data;
    data.ExistingName = "C:\\VEXO\\A.TXT";
    data.ArchivedName = "A.TXT";
    archive::PromptView view = archive::DescribeOverwritePrompt(data);
    ASSERT_EQ(view.Lines.size(), 6u);
    const auto& l = view.Lines;
    EXPECT_EQ(Cells(view), "0,0x1:" + l[0] + ";0,1x1:" + l[1] + ";1,1x1:" + l[2] +
                               ";2,0x1:" + l[3] + ";2,1x1:" + l[4] + ";3,1x1:" + l[5] + ";");
}

TEST(PromptCellsTest, ContinuePutsTheQuestionAcrossBothColumns) {
    archive::ContinuePromptData data;
    data.ErrorText = "Disco lleno";
    data.FileName = "B.DAT";
    archive::PromptView view = archive::DescribeContinuePrompt(data);
    ASSERT_EQ(view.Lines.size(), 6u);
    std::vector<PromptCell> cells = PromptCells(view);
    ASSERT_EQ(cells.size(), 6u);
    EXPECT_EQ(cells[1].text, view.Lines[1]);
    EXPECT_EQ(cells[5].row, 3);
    EXPECT_EQ(cells[5].span, 2);
    EXPECT_EQ(cells[5].text, view.Lines[5]);
    // No two lines share a place.
    std::set<std::pair<int, int>> places;
    for (const PromptCell& c : cells)
        EXPECT_TRUE(places.insert({c.row, c.column}).second) << c.text;
}

TEST(PromptCellsTest, OtherPromptsStackTheirLinesAndShortOnesShowNone) {
    archive::PromptView box = archive::DescribeMessageDlg(
        "Primera\r\nSegunda", archive::MessageType::mtError, archive::MessageButtons::mbOK);
    for (const PromptCell& c : PromptCells(box))
        EXPECT_EQ(c.span, 2);
    EXPECT_EQ(PromptCells(box).size(), box.Lines.size());
    EXPECT_FALSE(IsTextPrompt(box));

    archive::PromptView input =
        archive::DescribeInputQuery("Clave", "Introduzca la clave", "", true);
    EXPECT_TRUE(IsTextPrompt(input));

    archive::PromptView cut;
    cut.Kind = archive::PromptKind::Overwrite;
    cut.Lines = {"a", "b", "c"};
    EXPECT_TRUE(PromptCells(cut).empty());
    cut.Kind = archive::PromptKind::Continue;
    EXPECT_TRUE(PromptCells(cut).empty());
}

struct StartCase {
    const char* path;
    const char* expected;
};

class StartFolderTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartFolderTest, NearestExistingFolder) {
    // Only these folders exist.
    const std::set<std::string> folders = {"C:\\VEXO", "C:\\VEXO\\DALVO", "D:\\Datos"};
    auto isFolder = [&](std::string_view p) { return folders.count(std::string(p)) > 0; };
    EXPECT_EQ(StartFolder(GetParam().path, isFolder), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, StartFolderTest,
    ::testing::Values(StartCase{"C:\\VEXO\\DALVO", "C:\\VEXO\\DALVO"},
                      StartCase{"C:\\VEXO\\DALVO\\", "C:\\VEXO\\DALVO"},
                      StartCase{"C:\\VEXO\\DALVO\\Programa\\Nuevo", "C:\\VEXO\\DALVO"},
                      StartCase{"C:\\VEXO\\OTRO", "C:\\VEXO"}, StartCase{"C:\\NADA\\MAS", "C:\\"},
                      StartCase{"C:\\", "C:\\"}, StartCase{"C:", "C:\\"},
                      StartCase{"d:\\Datos\\Sub", "d:\\"},
                      StartCase{"D:\\Datos\\\\Sub\\\\", "D:\\Datos"},
                      StartCase{"Programa\\Nuevo", ""}, StartCase{"", ""}));

TEST(BoxStyleTest, IconsAndButtonsOfTheSystemBox) {
    using installer::BoxButtons;
    using installer::BoxIcon;
    struct Case {
        BoxIcon icon;
        BoxButtons buttons;
        UINT icons, kind;
    } cases[] = {{BoxIcon::Error, BoxButtons::Ok, MB_ICONERROR, MB_OK},
                 {BoxIcon::Warning, BoxButtons::OkCancel, MB_ICONWARNING, MB_OKCANCEL},
                 {BoxIcon::Confirmation, BoxButtons::OkCancel, MB_ICONQUESTION, MB_OKCANCEL}};
    for (const Case& c : cases) {
        const UINT style = BoxStyle(c.icon, c.buttons);
        EXPECT_EQ(style & MB_ICONMASK, c.icons);
        EXPECT_EQ(style & MB_TYPEMASK, c.kind);
    }
}

} // namespace
} // namespace vexo::ui::win32
