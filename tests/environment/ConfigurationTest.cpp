// Configuration file selection and the seven directory resolvers on a temporary prefix.
#include "environment/Configuration.h"

#include "EnvFixture.h"
#include "platform/Encoding.h"

#include <functional>
#include <string>
#include <vector>

namespace vexo::environment {
namespace {

using test::EnvTest;
using test::ScopedEnv;

const std::string kPayroll = W1252("Asientos Nóminas");

class ConfigurationTest : public EnvTest {};

TEST_F(ConfigurationTest, NoConfigurationFileGivesTheStandardLayout) {
    const std::string product = "C:\\VEXO\\DALVO";
    EXPECT_EQ(ReadEngineDirectory(product, kProductSelector), "C:\\VEXO\\Btrieve\\");
    TargetDirectories t = ResolveTargetDirectories(product, kProductSelector);
    EXPECT_EQ(t.data, "C:\\VEXO\\DALVO\\Datos\\");
    EXPECT_EQ(t.balances, "C:\\VEXO\\DALVO\\Datos\\Estructuras\\");
    EXPECT_EQ(t.memoryStructures, "C:\\VEXO\\DALVO\\Datos\\Estructuras\\");
    EXPECT_EQ(t.depositConfig, "C:\\VEXO\\DALVO\\Datos\\Estructuras\\");
    EXPECT_EQ(t.reportGenerator, "C:\\VEXO\\DALVO\\Datos\\Generador Informes\\");
    EXPECT_EQ(t.payrollEntries, "C:\\VEXO\\DALVO\\Datos\\" + kPayroll + "\\");
}

TEST_F(ConfigurationTest, MovedDataDirectoryMovesTheDependentDefaultsButNotTheEngine) {
    WriteFile("C:\\VEXO\\DALVO\\Programa\\DALVO.INI",
              "[PATH]\r\nPATHDATOS=D:\\EMPRESAS\\DATOS\r\n");
    const std::string product = "C:\\VEXO\\DALVO\\";
    TargetDirectories t = ResolveTargetDirectories(product, kProductSelector);
    EXPECT_EQ(t.data, "D:\\EMPRESAS\\DATOS\\");
    EXPECT_EQ(t.balances, "D:\\EMPRESAS\\DATOS\\Estructuras\\");
    EXPECT_EQ(t.memoryStructures, "D:\\EMPRESAS\\DATOS\\Estructuras\\");
    EXPECT_EQ(t.depositConfig, "D:\\EMPRESAS\\DATOS\\Estructuras\\");
    EXPECT_EQ(t.reportGenerator, "D:\\EMPRESAS\\DATOS\\Generador Informes\\");
    EXPECT_EQ(t.payrollEntries, "D:\\EMPRESAS\\DATOS\\" + kPayroll + "\\");
    EXPECT_EQ(ReadEngineDirectory(product, kProductSelector), "C:\\VEXO\\Btrieve\\");
}

struct KeyCase {
    const char* name;
    std::string ini;
    std::function<std::string(std::string_view, std::string_view)> resolver;
    std::string expected;
};

class ConfigurationKeyTest : public ConfigurationTest,
                             public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ConfigurationKeyTest, ReadsItsOwnSectionAndKey) {
    WriteFile("C:\\VEXO\\DALVO\\Programa\\DALVO.INI", GetParam().ini);
    EXPECT_EQ(GetParam().resolver("C:\\VEXO\\DALVO", kProductSelector), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ConfigurationKeyTest,
    ::testing::Values(
        KeyCase{"Engine", "[BTRIEVE]\nPATHBTRIEVE=E:\\BT\n", ReadEngineDirectory, "E:\\BT\\"},
        KeyCase{"EngineKeyInOtherSection", "[PATH]\nPATHBTRIEVE=E:\\BT\n", ReadEngineDirectory,
                "C:\\VEXO\\Btrieve\\"},
        KeyCase{"Balances", "[PATH]\nPATHBALANCES=E:\\BAL\\\n", ReadBalancesDirectory, "E:\\BAL\\"},
        KeyCase{"MemoryStructures", "[path]\npathestructurasmemoria=E:\\MEM\n",
                ReadMemoryStructuresDirectory, "E:\\MEM\\"},
        KeyCase{"DepositSwappedKey", "[DEPOSITOYLEGALIZACION]\nPAHTCONFIGDEPOSITO=E:\\DEP\n",
                ReadDepositConfigDirectory, "E:\\DEP\\"},
        // The correctly spelt key is not what the product writes, so it is not read.
        KeyCase{"DepositCorrectSpellingIgnored",
                "[DEPOSITOYLEGALIZACION]\nPATHCONFIGDEPOSITO=E:\\DEP\n", ReadDepositConfigDirectory,
                "C:\\VEXO\\DALVO\\Datos\\Estructuras\\"},
        KeyCase{"DepositKeyInPathSection", "[PATH]\nPAHTCONFIGDEPOSITO=E:\\DEP\n",
                ReadDepositConfigDirectory, "C:\\VEXO\\DALVO\\Datos\\Estructuras\\"},
        KeyCase{"ReportGenerator", "[PATH]\nPATHGENERADOR=E:\\GEN\n", ReadReportGeneratorDirectory,
                "E:\\GEN\\"},
        KeyCase{"PayrollEntries", "[PATH]\nPATHNOMIASTO=E:\\NOM\n", ReadPayrollEntriesDirectory,
                "E:\\NOM\\"},
        KeyCase{"RelativeValueStaysRelative", "[PATH]\nPATHDATOS=Datos2\n", ReadDataDirectory,
                "Datos2\\"},
        KeyCase{"EmptyValueGivesEmpty", "[PATH]\nPATHDATOS=\n", ReadDataDirectory, ""},
        KeyCase{"EmptyDataMakesBareDefaults", "[PATH]\nPATHDATOS=\n", ReadBalancesDirectory,
                "Estructuras\\"},
        KeyCase{"EmptyDataMakesBareGeneratorDefault", "[PATH]\nPATHDATOS=\n",
                ReadReportGeneratorDirectory, "Generador Informes\\"},
        KeyCase{"EmptyOwnKeyGivesEmpty", "[PATH]\nPATHGENERADOR=\n", ReadReportGeneratorDirectory,
                ""}),
    [](const ::testing::TestParamInfo<KeyCase>& row) { return std::string(row.param.name); });

TEST_F(ConfigurationTest, PerUserFileIsTheOnlyOneRead) {
    WriteFile("C:\\VEXO\\DALVO\\Programa\\DALVO.INI",
              "[PATH]\nPATHDATOS=D:\\COMUN\nPATHGENERADOR=D:\\GEN\n");
    WriteFile("C:\\VEXO\\DALVO\\Programa\\ANA.INI", "[PATH]\nPATHDATOS=D:\\ANA\n");
    EXPECT_EQ(SelectConfigurationFile("C:\\VEXO\\DALVO"), "C:\\VEXO\\DALVO\\Programa\\ANA.INI");
    EXPECT_EQ(ReadDataDirectory("C:\\VEXO\\DALVO", kProductSelector), "D:\\ANA\\");
    // DALVO.INI has the key, but it is not read while the user's own file exists.
    EXPECT_EQ(ReadReportGeneratorDirectory("C:\\VEXO\\DALVO", kProductSelector),
              "D:\\ANA\\Generador Informes\\");
}

TEST_F(ConfigurationTest, CommonFileWithoutAPerUserFile) {
    EXPECT_EQ(SelectConfigurationFile("C:\\VEXO\\DALVO\\"), "C:\\VEXO\\DALVO\\Programa\\DALVO.INI");
}

TEST_F(ConfigurationTest, UserNameIsUpperCased) {
    WriteFile("C:\\VEXO\\DALVO\\Programa\\JOSE.INI", "");
    EXPECT_EQ(SelectConfigurationFileFor("C:\\VEXO\\DALVO", "jose"),
              "C:\\VEXO\\DALVO\\Programa\\JOSE.INI");
}

TEST_F(ConfigurationTest, UserNameLongerThanFifteenCharactersUsesTheCommonFile) {
    const std::string longName = "administradorpc1"; // 16 characters
    WriteFile("C:\\VEXO\\DALVO\\Programa\\ADMINISTRADORPC1.INI", "[PATH]\nPATHDATOS=D:\\LONG\n");
    ScopedEnv user("VEXO_USER", longName);
    EXPECT_EQ(SelectConfigurationFile("C:\\VEXO\\DALVO"), "C:\\VEXO\\DALVO\\Programa\\DALVO.INI");
    EXPECT_EQ(ReadDataDirectory("C:\\VEXO\\DALVO", kProductSelector), "C:\\VEXO\\DALVO\\Datos\\");

    // The refused name leaves an empty one: a file named ".INI" would then be chosen.
    WriteFile("C:\\VEXO\\DALVO\\Programa\\.INI", "");
    EXPECT_EQ(SelectConfigurationFile("C:\\VEXO\\DALVO"), "C:\\VEXO\\DALVO\\Programa\\.INI");

    // Fifteen characters still fit.
    WriteFile("C:\\VEXO\\DALVO\\Programa\\ADMINISTRADORPC.INI", "");
    EXPECT_EQ(SelectConfigurationFileFor("C:\\VEXO\\DALVO", "administradorpc"),
              "C:\\VEXO\\DALVO\\Programa\\ADMINISTRADORPC.INI");
}

TEST_F(ConfigurationTest, DriveRootProduct) {
    EXPECT_EQ(ReadEngineDirectory("C:\\", kProductSelector), "C:\\Btrieve\\");
    EXPECT_EQ(ReadDataDirectory("C:\\", kProductSelector), "C:\\Datos\\");
    EXPECT_EQ(ReadBalancesDirectory("C:", kProductSelector), "C:\\Datos\\Estructuras\\");
}

TEST_F(ConfigurationTest, ProductDirectoryIsUpperCasedInDefaults) {
    EXPECT_EQ(ReadDataDirectory("c:\\vexo\\dalvo", kProductSelector), "C:\\VEXO\\DALVO\\Datos\\");
}

TEST_F(ConfigurationTest, OtherSelectorNamesTheFileInTheProgramDirectory) {
    WriteFile("C:\\VEXO\\DALVO\\Programa\\OTRO.INI", "[PATH]\nPATHDATOS=F:\\OTRO\n");
    WriteFile("C:\\VEXO\\DALVO\\Programa\\DALVO.INI", "[PATH]\nPATHDATOS=F:\\DALVO\n");
    EXPECT_EQ(ConfigurationFileFor("C:\\VEXO\\DALVO", "otro.ini"),
              "C:\\VEXO\\DALVO\\PROGRAMA\\OTRO.INI");
    EXPECT_EQ(ReadDataDirectory("C:\\VEXO\\DALVO", "otro.ini"), "F:\\OTRO\\");
    // Only the exact code stands for the product's own file.
    EXPECT_EQ(ReadDataDirectory("C:\\VEXO\\DALVO", "zpx"), "C:\\VEXO\\DALVO\\Datos\\");
}

TEST_F(ConfigurationTest, LongValuesAreCutAt255Characters) {
    const std::string longValue = "D:\\" + std::string(300, 'X');
    WriteFile("C:\\VEXO\\DALVO\\Programa\\DALVO.INI", "[PATH]\nPATHDATOS=" + longValue + "\n");
    std::string data = ReadDataDirectory("C:\\VEXO\\DALVO", kProductSelector);
    EXPECT_EQ(data, longValue.substr(0, 255));
    EXPECT_EQ(ReadBalancesDirectory("C:\\VEXO\\DALVO", kProductSelector).size(), 255u);
}

TEST_F(ConfigurationTest, ExistingTrailingBackslashIsNotDoubled) {
    WriteFile("C:\\VEXO\\DALVO\\Programa\\DALVO.INI",
              "[PATH]\nPATHDATOS=D:\\DATOS\\\nPATHBALANCES=D:\\BAL\\\n");
    EXPECT_EQ(ReadDataDirectory("C:\\VEXO\\DALVO", kProductSelector), "D:\\DATOS\\");
    EXPECT_EQ(ReadBalancesDirectory("C:\\VEXO\\DALVO", kProductSelector), "D:\\BAL\\");
    EXPECT_EQ(ReadMemoryStructuresDirectory("C:\\VEXO\\DALVO", kProductSelector),
              "D:\\DATOS\\Estructuras\\");
}

} // namespace
} // namespace vexo::environment
