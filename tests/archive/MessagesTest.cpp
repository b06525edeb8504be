// MessagesTest.cpp - built-in texts byte for byte, languages and publication to the prompts.
#include "archive/Messages.h"
#include "archive/Exceptions.h"
#include "archive/PromptTexts.h"
#include "archive/TextFormat.h"
#include "platform/Encoding.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace vexo::archive {
namespace {

// UTF-8 here; the run-time texts are Windows-1252.
const std::map<std::string, std::string> kExpected = {
    {"BadSignature", "Firma Erronea: el archivo \"%s\" no es valido"},
    {"FileNameNeeded", "\"Extractor\" necesita la propiedad \"Nombre Archivo\""},
    {"SystemMessage", "Mensaje de Sistema"},
    {"AcceptArchiveFailed", "El archivo no puede usarse"},
    {"EnterCryptKey", "Clave de encriptamiento:"},
    {"EnterDecryptKey", "Clave de desencripción:"},
    {"KeyTooShort", "La clave es muy corta. Debe contener almenos %d caracteres."},
    {"ConfirmCryptKey", "Confirma clave de encripción:"},
    {"KeyNotConfirmed", "La clave no se confirmo. Introducela de nuevo."},
    {"ArchiveIsReadOnly", "Archivo con atributo de solo lectura"},
    {"CanNotCreateArchive", "Este componente no puede crear un archivo"},
    {"CannotCreateDir", "No puedo crear el directorio"},
    {"SelectADirectory", "Seleccione un directorio:"},
    {"Ok", "Aceptar"},
    {"Cancel", "Cancelar"},
    {"Information", "Información"},
    {"Warning", "Advertencia"},
    {"Confirmation", "Confirmación"},
    {"Error", "Error"},
    {"CanNotBuildTempFileName", "No puedo construir archivo temporal"},
    {"Yes", "&Si"},
    {"YesToAll", "Si a &Todo"},
    {"No", "&No"},
    {"AFile", "Archivo"},
    {"CanContinue", "¿ Desea continuar ?"},
    {"UnknownVersion", "Versión desconocida"},
    {"CannotCreateFile", "No puedo crear el Archivo %s"},
    {"CannotOpenFile", "No puedo abrir %s"},
    {"ArchiverBusy", "Componente %s esta Ocupado. Cancelar operación actual  y reintentar"},
    {"CouldNotUncompressBlock", "No es posible descomprimir el bloque"},
    {"AskOverwrite", ""},
    {"NeedExtractPath", "Es necesario la trayectoria de extracción"},
    {"InsertDisk", "Inserta el disco Nº: %d en la unidad %s"},
    {"LocateSegment", "Introduzca Directorio del archivo."},
    {"WrongSegment", "No es el segmento Nº: %d del archivo %s!"},
    {"InsertLastSegment", "Inserte el ultimo Disco en la unidad %s"},
    {"LocateLastSegment", "Localiza el ultimo segmento del archivo %s"},
    {"WrongLastSegment", "¡ Este no es el último segmento !"},
    {"WrongNextSegment", "El segmento no es el siguente en la sequencia"},
    {"BadCRC", "CRC incorrecto: los datos dentro del archivo estan corrompidos"},
    {"BadKey", "El archivo no podra desencriptarse. Introdujo una clave invalida"},
    {"ReplaceFile", "Reemplazar :"},
    {"WithFile", "Con :"},
    {"ConfirmFileOverwrite", "Confirma sobreescribir archivo"},
    {"ExtractingFile", "Extrayendo %s (%d)"},
    {"LoadingArchiveContnent", "Cargando contenido del archivo..."},
    {"UncompressingSolidArchive", "Descomprimiendo archivo solido..."},
    {"CheckingFile", "Verificando %s (%d)"},
};

class MessagesFixture : public ::testing::Test {
  protected:
    void SetUp() override { ResetPromptTexts(); }
    void TearDown() override { ResetPromptTexts(); }
};

TEST_F(MessagesFixture, All48TextsByteForByte) {
    TExtrMessages m;
    auto texts = m.Texts();
    ASSERT_EQ(texts.size(), 48u);
    for (const auto& [key, text] : texts) {
        auto it = kExpected.find(std::string(key));
        ASSERT_NE(it, kExpected.end()) << key;
        EXPECT_EQ(*text, platform::Utf8ToCp1252(it->second)) << key;
    }
    // Windows-1252 at run time: "ó" is one byte 0xF3.
    EXPECT_EQ(m.UnknownVersion, "Versi\xF3n desconocida");
    EXPECT_EQ(m.CanContinue.front(), '\xBF');
}

TEST_F(MessagesFixture, BaseSetHas29InOrder) {
    TMessages m;
    auto texts = m.Texts();
    ASSERT_EQ(texts.size(), 29u);
    EXPECT_EQ(texts.front().first, "BadSignature");
    EXPECT_EQ(texts.back().first, "ArchiverBusy");
}

TEST_F(MessagesFixture, PromptTextsStartEnglish) {
    const TPromptTexts& p = PromptTexts();
    EXPECT_EQ(p.Ok, "OK");
    EXPECT_EQ(p.Cancel, "&Cancel");
    EXPECT_EQ(p.ReplaceFile, "Replace File :");
    EXPECT_EQ(p.CanContinue, "Do you want to continue ?");
}

TEST_F(MessagesFixture, BaseSetPublishesElevenTexts) {
    TMessages m;
    const TPromptTexts& p = PromptTexts();
    EXPECT_EQ(p.Ok, "Aceptar");
    EXPECT_EQ(p.Cancel, "Cancelar");
    EXPECT_EQ(p.Information, W1252("Información"));
    EXPECT_EQ(p.Yes, "&Si");
    EXPECT_EQ(p.AFile, "Archivo");
    EXPECT_EQ(p.CanContinue, W1252("¿ Desea continuar ?"));
    // The overwrite texts belong to the extractor set only.
    EXPECT_EQ(p.ReplaceFile, "Replace File :");
    EXPECT_EQ(p.WithFile, "With File :");
    EXPECT_EQ(p.ConfirmFileOverwrite, "Confirm File Overwrite");
}

TEST_F(MessagesFixture, ExtractorSetPublishesOverwriteTexts) {
    TExtrMessages m;
    const TPromptTexts& p = PromptTexts();
    EXPECT_EQ(p.ReplaceFile, "Reemplazar :");
    EXPECT_EQ(p.WithFile, "Con :");
    EXPECT_EQ(p.ConfirmFileOverwrite, "Confirma sobreescribir archivo");
}

TEST_F(MessagesFixture, LastPublisherWins) {
    TExtrMessages a;
    TExtrMessages b;
    b.Yes = "&Vale";
    b.PublishPromptTexts();
    EXPECT_EQ(PromptTexts().Yes, "&Vale");
    a.PublishPromptTexts();
    EXPECT_EQ(PromptTexts().Yes, "&Si");
}

TEST_F(MessagesFixture, EveryLanguageLoadsTheSpanishTexts) {
    TExtrMessages english;
    english.ChooseLanguage(TLanguage::lgEnglish);
    for (int l = 0; l <= static_cast<int>(TLanguage::lgCzech); ++l) {
        TExtrMessages m;
        m.BadSignature = "changed";
        m.ChooseLanguage(static_cast<TLanguage>(l));
        EXPECT_EQ(m.Language(), static_cast<TLanguage>(l));
        auto a = m.Texts();
        auto b = english.Texts();
        for (std::size_t i = 0; i < a.size(); ++i)
            EXPECT_EQ(*a[i].second, *b[i].second) << a[i].first;
    }
}

TEST_F(MessagesFixture, SetLanguageTextsLeavesAskOverwrite) {
    TExtrMessages m;
    m.AskOverwrite = "stored";
    m.SetLanguageTexts(TLanguage::lgSpanish);
    EXPECT_EQ(m.AskOverwrite, "stored");
}

TEST_F(MessagesFixture, AssignCopiesAllTextsAndPublishes) {
    TExtrMessages source;
    source.BadSignature = "firma %s";
    source.ReplaceFile = "Sustituir :";
    source.AskOverwrite = "pregunta";
    TExtrMessages target;
    ResetPromptTexts();
    target.Assign(source);
    EXPECT_EQ(target.BadSignature, "firma %s");
    EXPECT_EQ(target.AskOverwrite, "pregunta");
    EXPECT_EQ(PromptTexts().ReplaceFile, "Sustituir :");
    EXPECT_EQ(PromptTexts().Ok, "Aceptar");

    TMessages base;
    base.Cancel = "Anular";
    TExtrMessages fromBase;
    fromBase.Assign(base);
    EXPECT_EQ(fromBase.Cancel, "Anular");
    EXPECT_EQ(fromBase.BadCRC, source.BadCRC); // its own 19 stay
}

TEST_F(MessagesFixture, PlaceholdersFormat) {
    TExtrMessages m;
    EXPECT_EQ(Format(m.KeyTooShort, 10),
              "La clave es muy corta. Debe contener almenos 10 caracteres.");
    EXPECT_EQ(Format(m.InsertDisk, 3, "A:"), W1252("Inserta el disco Nº: 3 en la unidad A:"));
    EXPECT_EQ(Format(m.ExtractingFile, "ADMON.TAB", 5022), "Extrayendo ADMON.TAB (5022)");
    EXPECT_EQ(Format("%s~Archiv-%x.tmp", "c:\\", 0xBEEF), "c:\\~Archiv-BEEF.tmp");
    EXPECT_EQ(Format("100%%"), "100%");
}

TEST_F(MessagesFixture, FormatRejectsMissingOrMistypedArguments) {
    EXPECT_THROW(Format("%s and %s", "one"), Exception);
    EXPECT_THROW(Format("%d", "text"), Exception);
}

} // namespace
} // namespace vexo::archive
