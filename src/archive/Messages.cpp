// Messages.cpp - the built-in Spanish texts and their publication to the prompt texts.
#include "archive/Messages.h"

#include "archive/PromptTexts.h"
#include "platform/Encoding.h"

namespace vexo::archive {

TMessages::TMessages() {
    ChooseLanguage(TLanguage::lgAutomatic);
}

void TMessages::LoadOwnTexts() {
    BadSignature = W1252("Firma Erronea: el archivo \"%s\" no es valido");
    FileNameNeeded = W1252("\"Extractor\" necesita la propiedad \"Nombre Archivo\"");
    SystemMessage = W1252("Mensaje de Sistema");
    AcceptArchiveFailed = W1252("El archivo no puede usarse");
    EnterCryptKey = W1252("Clave de encriptamiento:");
    EnterDecryptKey = W1252("Clave de desencripción:");
    KeyTooShort = W1252("La clave es muy corta. Debe contener almenos %d caracteres.");
    ConfirmCryptKey = W1252("Confirma clave de encripción:");
    KeyNotConfirmed = W1252("La clave no se confirmo. Introducela de nuevo.");
    ArchiveIsReadOnly = W1252("Archivo con atributo de solo lectura");
    CanNotCreateArchive = W1252("Este componente no puede crear un archivo");
    CannotCreateDir = W1252("No puedo crear el directorio");
    SelectADirectory = W1252("Seleccione un directorio:");
    Ok = W1252("Aceptar");
    Cancel = W1252("Cancelar");
    Information = W1252("Información");
    Warning = W1252("Advertencia");
    Confirmation = W1252("Confirmación");
    Error = W1252("Error");
    CanNotBuildTempFileName = W1252("No puedo construir archivo temporal");
    Yes = W1252("&Si");
    YesToAll = W1252("Si a &Todo");
    No = W1252("&No");
    AFile = W1252("Archivo");
    CanContinue = W1252("¿ Desea continuar ?");
    UnknownVersion = W1252("Versión desconocida");
    CannotCreateFile = W1252("No puedo crear el Archivo %s");
    CannotOpenFile = W1252("No puedo abrir %s");
    ArchiverBusy = W1252("Componente %s esta Ocupado. Cancelar operación actual  y reintentar");
}

void TMessages::SetLanguageTexts(TLanguage language) {
    language_ = language;
    LoadOwnTexts();
}

void TMessages::PublishPromptTexts() const {
    TPromptTexts& p = PromptTexts();
    p.Ok = Ok;
    p.Cancel = Cancel;
    p.Information = Information;
    p.Warning = Warning;
    p.Confirmation = Confirmation;
    p.Error = Error;
    p.Yes = Yes;
    p.YesToAll = YesToAll;
    p.No = No;
    p.AFile = AFile;
    p.CanContinue = CanContinue;
}

void TMessages::ChooseLanguage(TLanguage language) {
    SetLanguageTexts(language);
    PublishPromptTexts();
}

void TMessages::CopyOwnTexts(const TMessages& source) {
    auto to = Texts();
    auto from = const_cast<TMessages&>(source).TMessages::Texts();
    for (std::size_t i = 0; i < from.size(); ++i)
        *to[i].second = *from[i].second;
}

void TMessages::Assign(const TMessages& source) {
    if (&source == this) return;
    CopyOwnTexts(source);
    PublishPromptTexts();
}

std::vector<std::pair<std::string_view, std::string*>> TMessages::Texts() {
    return {
        {"BadSignature", &BadSignature},
        {"FileNameNeeded", &FileNameNeeded},
        {"SystemMessage", &SystemMessage},
        {"AcceptArchiveFailed", &AcceptArchiveFailed},
        {"EnterCryptKey", &EnterCryptKey},
        {"EnterDecryptKey", &EnterDecryptKey},
        {"KeyTooShort", &KeyTooShort},
        {"ConfirmCryptKey", &ConfirmCryptKey},
        {"KeyNotConfirmed", &KeyNotConfirmed},
        {"ArchiveIsReadOnly", &ArchiveIsReadOnly},
        {"CanNotCreateArchive", &CanNotCreateArchive},
        {"CannotCreateDir", &CannotCreateDir},
        {"SelectADirectory", &SelectADirectory},
        {"Ok", &Ok},
        {"Cancel", &Cancel},
        {"Information", &Information},
        {"Warning", &Warning},
        {"Confirmation", &Confirmation},
        {"Error", &Error},
        {"CanNotBuildTempFileName", &CanNotBuildTempFileName},
        {"Yes", &Yes},
        {"YesToAll", &YesToAll},
        {"No", &No},
        {"AFile", &AFile},
        {"CanContinue", &CanContinue},
        {"UnknownVersion", &UnknownVersion},
        {"CannotCreateFile", &CannotCreateFile},
        {"CannotOpenFile", &CannotOpenFile},
        {"ArchiverBusy", &ArchiverBusy},
    };
}

TExtrMessages::TExtrMessages() {
    ChooseLanguage(TLanguage::lgAutomatic);
}

void TExtrMessages::SetLanguageTexts(TLanguage language) {
    TMessages::SetLanguageTexts(language);
    // AskOverwrite has no built-in text and is left as it is.
    CouldNotUncompressBlock = W1252("No es posible descomprimir el bloque");
    NeedExtractPath = W1252("Es necesario la trayectoria de extracción");
    InsertDisk = W1252("Inserta el disco Nº: %d en la unidad %s");
    LocateSegment = W1252("Introduzca Directorio del archivo.");
    WrongSegment = W1252("No es el segmento Nº: %d del archivo %s!");
    InsertLastSegment = W1252("Inserte el ultimo Disco en la unidad %s");
    LocateLastSegment = W1252("Localiza el ultimo segmento del archivo %s");
    WrongLastSegment = W1252("¡ Este no es el último segmento !");
    WrongNextSegment = W1252("El segmento no es el siguente en la sequencia");
    BadCRC = W1252("CRC incorrecto: los datos dentro del archivo estan corrompidos");
    BadKey = W1252("El archivo no podra desencriptarse. Introdujo una clave invalida");
    ReplaceFile = W1252("Reemplazar :");
    WithFile = W1252("Con :");
    ConfirmFileOverwrite = W1252("Confirma sobreescribir archivo");
    ExtractingFile = W1252("Extrayendo %s (%d)");
    LoadingArchiveContnent = W1252("Cargando contenido del archivo...");
    UncompressingSolidArchive = W1252("Descomprimiendo archivo solido...");
    CheckingFile = W1252("Verificando %s (%d)");
}

void TExtrMessages::PublishPromptTexts() const {
    TMessages::PublishPromptTexts();
    TPromptTexts& p = PromptTexts();
    p.ReplaceFile = ReplaceFile;
    p.WithFile = WithFile;
    p.ConfirmFileOverwrite = ConfirmFileOverwrite;
}

void TExtrMessages::Assign(const TMessages& source) {
    if (&source == this) return;
    if (const auto* extr = dynamic_cast<const TExtrMessages*>(&source)) {
        auto to = Texts();
        auto from = const_cast<TExtrMessages*>(extr)->Texts();
        // The extractor's own 19 follow the 29 in both lists.
        for (std::size_t i = 29; i < from.size(); ++i)
            *to[i].second = *from[i].second;
    }
    TMessages::Assign(source);
}

std::vector<std::pair<std::string_view, std::string*>> TExtrMessages::Texts() {
    auto texts = TMessages::Texts();
    texts.insert(texts.end(), {
                                  {"CouldNotUncompressBlock", &CouldNotUncompressBlock},
                                  {"AskOverwrite", &AskOverwrite},
                                  {"NeedExtractPath", &NeedExtractPath},
                                  {"InsertDisk", &InsertDisk},
                                  {"LocateSegment", &LocateSegment},
                                  {"WrongSegment", &WrongSegment},
                                  {"InsertLastSegment", &InsertLastSegment},
                                  {"LocateLastSegment", &LocateLastSegment},
                                  {"WrongLastSegment", &WrongLastSegment},
                                  {"WrongNextSegment", &WrongNextSegment},
                                  {"BadCRC", &BadCRC},
                                  {"BadKey", &BadKey},
                                  {"ReplaceFile", &ReplaceFile},
                                  {"WithFile", &WithFile},
                                  {"ConfirmFileOverwrite", &ConfirmFileOverwrite},
                                  {"ExtractingFile", &ExtractingFile},
                                  {"LoadingArchiveContnent", &LoadingArchiveContnent},
                                  {"UncompressingSolidArchive", &UncompressingSolidArchive},
                                  {"CheckingFile", &CheckingFile},
                              });
    return texts;
}

} // namespace vexo::archive
