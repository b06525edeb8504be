// The window-less folder browsers.
#include "environment/FolderBrowser.h"

#include "platform/Encoding.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace vexo::environment {
namespace {

TEST(FolderBrowserTest, TitleIsTheDirectoryFramesText) {
    EXPECT_EQ(platform::Cp1252ToUtf8(BrowseTitle()), "Selecciona el Directorio de Instalación");
}

TEST(FolderBrowserTest, NoBrowserNeverChooses) {
    NoFolderBrowser browser;
    std::string path = "C:\\VEXO\\DALVO";
    EXPECT_FALSE(browser.BrowseForFolder(nullptr, path, BrowseTitle(), true));
    EXPECT_EQ(path, "C:\\VEXO\\DALVO");
}

struct ConsoleCase {
    const char* input;
    bool chosen;
    std::string path; // Windows-1252
};

class ConsoleBrowserTest : public ::testing::TestWithParam<ConsoleCase> {};

TEST_P(ConsoleBrowserTest, ReadsOneLine) {
    std::istringstream in(GetParam().input);
    std::ostringstream out;
    ConsoleFolderBrowser browser(in, out);
    std::string path = "C:\\VEXO\\DALVO";
    EXPECT_EQ(browser.BrowseForFolder(nullptr, path, BrowseTitle(), true), GetParam().chosen);
    EXPECT_EQ(path, GetParam().path);
    // The prompt shows the title and the starting path in UTF-8.
    EXPECT_NE(out.str().find("Instalación"), std::string::npos);
    EXPECT_NE(out.str().find("C:\\VEXO\\DALVO"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ConsoleBrowserTest,
                         ::testing::Values(ConsoleCase{"D:\\OTRO\n", true, "D:\\OTRO"},
                                           ConsoleCase{"D:\\OTRO\r\n", true, "D:\\OTRO"},
                                           ConsoleCase{"D:\\Nóminas\n", true, "D:\\N\xF3minas"},
                                           ConsoleCase{"\n", false, "C:\\VEXO\\DALVO"},
                                           ConsoleCase{"", false, "C:\\VEXO\\DALVO"}));

} // namespace
} // namespace vexo::environment
