// InstallerTexts.cpp - written in UTF-8 here, handed out in Windows-1252.
#include "installer/InstallerTexts.h"

#include "installer/MainView.h"
#include "platform/Encoding.h"

namespace vexo::installer {

std::string BoxCaption() {
    return "Instalador Dalvo";
}

namespace texts {

std::string WindowCaption() {
    return W1252(" Instalación Contabilidad Vexo Windows");
}
std::string InvalidSystem() {
    return W1252("Sistema Operativo NO Válido");
}
std::string ConfirmExit() {
    return "Confirma Salida del Instalador";
}
std::string CancelInstallation() {
    return W1252("Cancelar Instalación");
}
std::string NewerInstalled() {
    return W1252("La Versión Instalada es Mayor que la Actual. ¿Deseas Continuar?");
}
std::string ProgramNotFound() {
    return W1252("No se encontró el Programa:\r\n\r\n");
}
std::string Finished() {
    return W1252("Instalación Finalizada");
}
std::string Failed() {
    return W1252("Instalación Incorrecta");
}
std::string ExtractingFrom() {
    return "Extrayendo de: ";
}
std::string Exit() {
    return "Salir";
}
std::string Cancel() {
    return "Cancelar";
}
std::string Install() {
    return "Instalar";
}
std::string Ok() {
    return "Vale";
}
std::string DefaultDirectory() {
    return "C:\\VEXO\\DALVO";
}

} // namespace texts
} // namespace vexo::installer
