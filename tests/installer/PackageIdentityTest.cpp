// PackageIdentityTest.cpp - date, version and title of the package.
#include "installer/PackageIdentity.h"
#include "archive/Exceptions.h"
#include "archive/Real48.h"
#include "platform/Encoding.h"

#include <gtest/gtest.h>

namespace vexo::installer {
namespace {

struct DateCase {
    std::uint16_t value;
    const char* text;
};

class PackageDateTextTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(PackageDateTextTest, FormatsDayMonthNameAndYear) {
    EXPECT_EQ(PackageDateText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, PackageDateTextTest,
    ::testing::Values(DateCase{0xDA4C, "12 de Febrero del 2009"},
                      DateCase{(109 << 9) | (9 << 5) | 1, "1 de Setiembre del 2009"},
                      DateCase{(100 << 9) | (12 << 5) | 31, "31 de Diciembre del 2000"},
                      DateCase{(95 << 9) | (1 << 5) | 0, "0 de Enero del 1995"}, // day 0 shown
                      DateCase{(110 << 9) | (13 << 5) | 5, "5 de  del 2010"},    // no month 13
                      DateCase{(110 << 9) | (0 << 5) | 5, "5 de  del 2010"},     // nor 0
                      DateCase{0xFFFF, "31 de  del 2027"}));

struct VersionCase {
    double value;
    const char* utf8;
};

class PackageVersionTextTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(PackageVersionTextTest, UsesDecimalCommaAndGroupPoints) {
    EXPECT_EQ(PackageVersionText(GetParam().value), W1252(GetParam().utf8));
}

INSTANTIATE_TEST_SUITE_P(Versions, PackageVersionTextTest,
                         ::testing::Values(VersionCase{1.0, "Versión 1,00"},
                                           VersionCase{10.5, "Versión 10,50"},
                                           VersionCase{1234.5, "Versión 1.234,50"},
                                           VersionCase{1234567.891, "Versión 1.234.567,89"},
                                           VersionCase{-2.25, "Versión -2,25"},
                                           VersionCase{0.999, "Versión 1,00"},
                                           VersionCase{0.0, ""}));

TEST(PackageVersionText, SixByteRealOneIsVersionOne) {
    const std::uint8_t one[6] = {0x81, 0, 0, 0, 0, 0};
    EXPECT_EQ(PackageVersionText(archive::Real48ToDouble(one)), W1252("Versión 1,00"));
    const std::uint8_t zero[6] = {0, 1, 2, 3, 4, 5}; // exponent 0 is the value 0
    EXPECT_EQ(PackageVersionText(archive::Real48ToDouble(zero)), "");
}

struct TitleCase {
    const char* name;
    std::int32_t code;
    const char* utf8;
};

class PackageTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(PackageTitleTest, FirstMatchingRowWins) {
    EXPECT_EQ(PackageTitle(GetParam().name, GetParam().code), W1252(GetParam().utf8));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PackageTitleTest,
    ::testing::Values(
        TitleCase{"ZPX10.EXE", 1, "Copia de Seguridad"},
        TitleCase{"ZPX11.EXE", 1, "115-180 Arrendamientos"},
        TitleCase{"ZPX12.EXE", 1, "300 IVA Mensual/Trimestral"},
        TitleCase{"ZPX13.EXE", 1, "390 IVA Anual"},
        TitleCase{"ZPX14.EXE", 1, "347 Operaciones con Terceros"},
        TitleCase{"ZPX15.EXE", 1, "349 Operaciones Comunitarias"},
        TitleCase{"ZPX16.EXE", 1, "Presupuestos"}, TitleCase{"ZPX17.EXE", 1, "Asientos Nóminas"},
        TitleCase{"ZPX18.EXE", 1, "Memoria"}, TitleCase{"ZPX19.EXE", 1, "Generador de Informes"},
        TitleCase{"ZPX20.EXE", 1, "Depósito y Legalización de Libros"},
        TitleCase{"ZPX21.EXE", 1, "Extractos AEB"},
        TitleCase{"ZPX22.EXE", 1, "Importador Contabilidades"},
        TitleCase{"ZPX23.EXE", 1, "Sociedades Bizkaia"},
        TitleCase{"ZPX24.EXE", 1, "Sociedades Estatal"},
        TitleCase{"ZPX25.EXE", 1, "340 Libros Registro IVA"},
        TitleCase{"VIZUVE.EXE", 1, "Sociedades Bizkaia"},
        TitleCase{"RORARI.EXE", 1, "Sociedades Estatal"},
        TitleCase{"BTRIEVE.EXE", 1, "Motor Base de Datos"},
        TitleCase{"ZPMOTORDB.EXE", 1, "Motor Base de Datos (Importaciones)"},
        TitleCase{"ZPBANCOS.EXE", 1, "Bancos y Sucursales"},
        TitleCase{"ZPMAESTRO.EXE", 1, "Maestro de Datos"},
        TitleCase{"ZPINSAMORT07.EXE", 1, "Instalación Cuentas Amortización PGC 2007"},
        TitleCase{"ZPAYUDAS.EXE", 1, "Ayudas"},
        TitleCase{"ZPTREVANA.EXE", 1, "Importador Datos Trevana"},
        TitleCase{"AEAT-390-09.EXE", 1, "A.E.A.T. Modelo 390 (2009)"},
        TitleCase{"AEAT-ZORI-08.EXE", 1, "A.E.A.T. Modelos 115 y 300 (2008)"},
        TitleCase{"AEAT-ZORI-09.EXE", 1, "A.E.A.T. Modelos 115 y 303 (2009)"},
        TitleCase{"AEAT-ZORI-12.EXE", 1, "A.E.A.T. Modelos 115 y 303 (2012)"},
        TitleCase{"AEAT-INF-10.EXE", 1, "A.E.A.T. Modelos Informativos (2010)"},
        TitleCase{"AEAT-201-09.EXE", 1, "A.E.A.T. Modelo 201 (2009)"},
        TitleCase{"XAEAT-201-09.EXE", 1, "A.E.A.T. Modelo 201 (20-0)"},
        TitleCase{"ZPX20.EXE", 1962503, "Actualización Depósito y Legalización de Libros"},
        TitleCase{"NADA.EXE", 1962503, "Actualización "}, TitleCase{"NADA.EXE", 1962504, ""},
        TitleCase{"zpx16.exe", 1, "Presupuestos"}, TitleCase{"ZPX16 (2).EXE", 1, ""},
        TitleCase{"ZPX16.EXE.EXE", 1, ""},
        TitleCase{"aeat-390-11.exe", 1, "A.E.A.T. Modelo 390 (2011)"}));

TEST(PackageTitle, BeltroRowCarriesACredit) {
    std::string title = PackageTitle("ZPBELTRO.EXE", 0);
    EXPECT_EQ(title.rfind("Importador Datos Excel (", 0), 0u) << title;
    EXPECT_EQ(title.back(), ')');
}

TEST(PackageTitle, ZoriWithoutTwoDigitYearIsAConversionError) {
    try {
        PackageTitle("AEAT-ZORI-9.EXE", 1);
        FAIL() << "no error";
    } catch (const archive::Exception& e) {
        EXPECT_STREQ(e.what(), "'9.' is not a valid integer value");
    }
    EXPECT_THROW(PackageTitle("AEAT-ZORI-", 1), archive::Exception); // nothing to convert
}

struct IntCase {
    const char* text;
    int value;
};

class StrToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(StrToIntTest, Converts) {
    EXPECT_EQ(StrToInt(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Valid, StrToIntTest,
                         ::testing::Values(IntCase{"09", 9}, IntCase{"10", 10}, IntCase{" 7", 7},
                                           IntCase{"-3", -3}, IntCase{"+4", 4}));

TEST(StrToInt, RejectsNonDigits) {
    for (const char* bad : {"", "9.", "-", "1 ", "x1", "99999999999"})
        EXPECT_THROW(StrToInt(bad), archive::Exception) << bad;
}

struct AppTitleCase {
    const char* name;
    const char* title;
};

class ApplicationTitleTest : public ::testing::TestWithParam<AppTitleCase> {};

TEST_P(ApplicationTitleTest, FirstCharacterKeptRestLowered) {
    EXPECT_EQ(ApplicationTitle(GetParam().name), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(Names, ApplicationTitleTest,
                         ::testing::Values(AppTitleCase{"AEAT-ZORI-09.EXE", "Aeat-zori-09"},
                                           AppTitleCase{"ZPX16.EXE", "Zpx16"},
                                           AppTitleCase{"zpx16.exe", "zpx16"},
                                           AppTitleCase{"A.B.EXE", "A.b"},
                                           AppTitleCase{"NOEXT", "Noext"}));

} // namespace
} // namespace vexo::installer
