// InstallerTexts.h - the window's own texts, Windows-1252.
#pragma once

#include <string>

namespace vexo::installer::texts {

std::string WindowCaption();      // " Instalación Contabilidad Vexo Windows"
std::string InvalidSystem();      // "Sistema Operativo NO Válido"
std::string ConfirmExit();        // "Confirma Salida del Instalador"
std::string CancelInstallation(); // "Cancelar Instalación"
std::string NewerInstalled();     // the version question
std::string ProgramNotFound();    // "No se encontró el Programa:\r\n\r\n"
std::string Finished();           // "Instalación Finalizada"
std::string Failed();             // "Instalación Incorrecta"
std::string ExtractingFrom();     // "Extrayendo de: "
std::string Exit();               // "Salir"
std::string Cancel();             // "Cancelar"
std::string Install();            // "Instalar"
std::string Ok();                 // "Vale"
std::string DefaultDirectory();   // "C:\VEXO\DALVO"

} // namespace vexo::installer::texts
