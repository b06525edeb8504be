// PackageIdentity.cpp - date, version and title of the package.
#include "installer/PackageIdentity.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "archive/Real48.h"
#include "platform/Encoding.h"

#include <cmath>
#include <limits>

namespace vexo::installer {

namespace {

struct TitleRow {
    std::string_view name;
    std::string_view title; // UTF-8 here, converted when used
};

constexpr TitleRow kExactTitles[] = {
    {"ZPX10.EXE", "Copia de Seguridad"},
    {"ZPX11.EXE", "115-180 Arrendamientos"},
    {"ZPX12.EXE", "300 IVA Mensual/Trimestral"},
    {"ZPX13.EXE", "390 IVA Anual"},
    {"ZPX14.EXE", "347 Operaciones con Terceros"},
    {"ZPX15.EXE", "349 Operaciones Comunitarias"},
    {"ZPX16.EXE", "Presupuestos"},
    {"ZPX17.EXE", "Asientos Nóminas"},
    {"ZPX18.EXE", "Memoria"},
    {"ZPX19.EXE", "Generador de Informes"},
    {"ZPX20.EXE", "Depósito y Legalización de Libros"},
    {"ZPX21.EXE", "Extractos AEB"},
    {"ZPX22.EXE", "Importador Contabilidades"},
    {"ZPX23.EXE", "Sociedades Bizkaia"},
    {"ZPX24.EXE", "Sociedades Estatal"},
    {"ZPX25.EXE", "340 Libros Registro IVA"},
    {"VIZUVE.EXE", "Sociedades Bizkaia"},
    {"RORARI.EXE", "Sociedades Estatal"},
    {"BTRIEVE.EXE", "Motor Base de Datos"},
    {"ZPMOTORDB.EXE", "Motor Base de Datos (Importaciones)"},
    {"ZPBANCOS.EXE", "Bancos y Sucursales"},
    {"ZPMAESTRO.EXE", "Maestro de Datos"},
    {"ZPINSAMORT07.EXE", "Instalación Cuentas Amortización PGC 2007"},
    {"ZPAYUDAS.EXE", "Ayudas"},
    {"ZPTREVANA.EXE", "Importador Datos Trevana"},
    {"ZPBELTRO.EXE", "Importador Datos Excel (Importador de Olaia Etxeberria)"},
};

constexpr std::string_view kMonths[] = {"Enero",     "Febrero", "Marzo",     "Abril",
                                        "Mayo",      "Junio",   "Julio",     "Agosto",
                                        "Setiembre", "Octubre", "Noviembre", "Diciembre"};

/// Characters `from`..`from+count-1` counted from 1, cut where the name ends.
std::string Copy(std::string_view s, std::size_t from, std::size_t count) {
    if (from == 0 || from > s.size()) return {};
    return std::string(s.substr(from - 1, count));
}

bool Contains(std::string_view s, std::string_view part) {
    return s.find(part) != std::string_view::npos;
}

} // namespace

std::string PackageDateText(std::uint16_t w) {
    unsigned day = w & 31u;
    unsigned month = (w & 511u) >> 5;
    unsigned year = (w >> 9) + 1900u;
    std::string name = (month >= 1 && month <= 12) ? std::string(kMonths[month - 1]) : "";
    return std::to_string(day) + " de " + name + " del " + std::to_string(year);
}

std::string PackageVersionText(double version) {
    if (version == 0.0) return {};
    bool negative = version < 0;
    double cents = std::round(std::fabs(version) * 100.0);
    auto whole = static_cast<unsigned long long>(cents / 100.0);
    auto fraction = static_cast<unsigned>(cents - static_cast<double>(whole) * 100.0);
    std::string digits = std::to_string(whole);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += '.';
        grouped += digits[i];
    }
    std::string decimals = (fraction < 10 ? "0" : "") + std::to_string(fraction);
    return W1252("Versión ") + (negative ? "-" : "") + grouped + "," + decimals;
}

int StrToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        any = true;
        if (value > std::numeric_limits<int>::max()) break;
    }
    if (!any || i != text.size() || value > std::numeric_limits<int>::max())
        throw archive::Exception("'" + std::string(text) + "' is not a valid integer value");
    return static_cast<int>(negative ? -value : value);
}

std::string PackageTitle(std::string_view installerFileName, std::int32_t packageCode) {
    std::string name = platform::UpperAscii(installerFileName);
    std::string title = packageCode == kUpdatePackageCode ? W1252("Actualización ") : "";
    for (const TitleRow& row : kExactTitles)
        if (name == row.name) return title + W1252(row.title);
    if (Contains(name, "AEAT-390-"))
        return title + "A.E.A.T. Modelo 390 (20" + Copy(name, 10, 2) + ")";
    if (Contains(name, "AEAT-ZORI-")) {
        std::string year = Copy(name, 11, 2);
        int n = StrToInt(year);
        return title +
               (n < 9 ? "A.E.A.T. Modelos 115 y 300 (20" : "A.E.A.T. Modelos 115 y 303 (20") +
               year + ")";
    }
    if (Contains(name, "AEAT-INF-"))
        return title + "A.E.A.T. Modelos Informativos (20" + Copy(name, 10, 2) + ")";
    if (Contains(name, "AEAT-201-"))
        return title + "A.E.A.T. Modelo 201 (20" + Copy(name, 10, 2) + ")";
    return title;
}

std::string ApplicationTitle(std::string_view installerFileName) {
    std::string name(installerFileName);
    std::string ext = archive::ExtractFileExt(name);
    name.resize(name.size() - ext.size());
    for (std::size_t i = 1; i < name.size(); ++i)
        if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
    return name;
}

} // namespace vexo::installer
