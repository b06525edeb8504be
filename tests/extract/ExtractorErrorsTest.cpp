// ExtractorErrorsTest.cpp - damaged blocks, the per-entry error policy, aborts, and the texts
// each failure carries.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "platform/Encoding.h"

namespace vexo::extract::testing {
namespace {

const std::string kBadCRC = "CRC incorrecto: los datos dentro del archivo estan corrompidos";
const std::string kUncompress = "No es posible descomprimir el bloque";

RawEntry FileEntry(const std::string& name, std::int32_t size, Bytes blocks) {
    RawEntry r;
    r.entry.Name = name;
    r.entry.Date = EntryDate();
    r.entry.Attributes = 0x20;
    r.entry.FileSize = size;
    r.blocks = std::move(blocks);
    return r;
}

RawEntry GoodEntry(const std::string& name, const Bytes& data) {
    return FileEntry(name, static_cast<std::int32_t>(data.size()),
                     MakeBlock(ZlibStream(data), false));
}

// Runs an archive whose first entry is damaged, with eaContinue, and returns the error text.
std::string FirstError(TExtractor& x) {
    std::string error;
    x.SetErrorAction(archive::eaContinue);
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) {
        if (error.empty()) error = e.what();
    };
    x.ExtractAll();
    return error;
}

struct DamageCase {
    const char* what;
    std::function<RawEntry()> make;
    std::string text;
};

class Damage : public ExtractorFixture, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(Damage, IsReportedWithItsTextAndTheRunGoesOn) {
    Bytes good = Compressible(500);
    // 1,024-byte blocks: a stream can inflate past them and a stored block outgrow the buffer.
    std::string arc = BuildRaw({GetParam().make(), GoodEntry("next.txt", good)}, 1024);
    TExtractor x;
    Prepare(x, arc);
    EXPECT_EQ(FirstError(x), GetParam().text);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("next.txt")), good);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, Damage,
    ::testing::Values(DamageCase{"FlippedPayloadByte",
                                 [] {
                                     Bytes data = Compressible(4000);
                                     Bytes block = MakeBlock(ZlibStream(data), false);
                                     block[20] ^= 0x01;
                                     return FileEntry("bad.txt", 4000, block);
                                 },
                                 kBadCRC},
                      DamageCase{"FlippedStoredByte",
                                 [] {
                                     Bytes data = RandomBytes(300, 1);
                                     Bytes block = MakeBlock(data, true);
                                     block[100] ^= 0x80;
                                     return FileEntry("bad.txt", 300, block);
                                 },
                                 kBadCRC},
                      DamageCase{"InflatesPastTheBlockSize",
                                 [] {
                                     Bytes data =
                                         Compressible(2000); // the header says 1,024-byte blocks
                                     return FileEntry("big.txt", 2000,
                                                      MakeBlock(ZlibStream(data), false));
                                 },
                                 kUncompress},
                      DamageCase{"TruncatedStream",
                                 [] {
                                     Bytes stream = ZlibStream(Compressible(900));
                                     stream.resize(stream.size() - 5);
                                     return FileEntry("cut.txt", 900, MakeBlock(stream, false));
                                 },
                                 kUncompress},
                      DamageCase{"LengthBeyondTheBuffer",
                                 [] {
                                     Bytes block = MakeBlock(RandomBytes(2000, 2), true);
                                     return FileEntry("long.txt", 2000, block);
                                 },
                                 kBadCRC},
                      DamageCase{"LengthBeyondThePiece",
                                 [] {
                                     Bytes block = MakeBlock(RandomBytes(600, 2), true);
                                     archive::PutInt32At(block.data(),
                                                         -900); // claims more than follows
                                     return FileEntry("short.txt", 600, block);
                                 },
                                 kBadCRC}),
    [](const auto& row) { return std::string(row.param.what); });

TEST_F(ExtractorFixture, AskShowsEntryAndYesContinues) {
    Bytes data = Compressible(4000);
    Bytes block = MakeBlock(ZlibStream(data), false);
    block[20] ^= 0x01;
    Bytes good = Compressible(10);
    std::string arc = BuildRaw({FileEntry("dir\\bad.txt", 4000, block), GoodEntry("ok.txt", good)});
    TExtractor x;
    Prepare(x, arc);
    prompts_.QueueResult(archive::ContinueAnswer::Yes);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("ok.txt")), good);
    ASSERT_EQ(prompts_.Records().size(), 1u);
    const auto& view = prompts_.Records()[0];
    EXPECT_EQ(view.Kind, archive::PromptKind::Continue);
    const std::vector<std::string> lines{W1252("Error :"),
                                         kBadCRC,
                                         W1252("Archivo :"),
                                         "dir\\bad.txt",
                                         "4.000 bytes  22/01/2009 9:36:37",
                                         W1252("¿ Desea continuar ?")};
    EXPECT_EQ(view.Lines, lines);
}

TEST_F(ExtractorFixture, AskNoEndsSilentlyWithStatusMinusOne) {
    Bytes block = MakeBlock(ZlibStream(Compressible(4000)), false);
    block[20] ^= 0x01;
    std::string arc =
        BuildRaw({FileEntry("bad.txt", 4000, block), GoodEntry("ok.txt", Compressible(10))});
    TExtractor x;
    Prepare(x, arc);
    int finished = 0;
    x.OnFinishOperation = [&](archive::TArchiverRoot&) { ++finished; };
    prompts_.QueueResult(archive::ContinueAnswer::No);
    EXPECT_THROW(x.ExtractAll(), archive::EAbort);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::RunningOrFailed);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(x.IsBusy());
    EXPECT_FALSE(platform::FileExists(Out("ok.txt")));
}

TEST_F(ExtractorFixture, AbortActionWithoutHandlerPassesTheErrorOn) {
    Bytes block = MakeBlock(ZlibStream(Compressible(4000)), false);
    block[20] ^= 0x01;
    std::string arc = BuildRaw({FileEntry("bad.txt", 4000, block)});
    TExtractor x;
    Prepare(x, arc);
    x.SetErrorAction(archive::eaAbort);
    try {
        x.ExtractAll();
        FAIL() << "no exception";
    } catch (const archive::EArchiverBadCRC& e) {
        EXPECT_EQ(std::string(e.what()), kBadCRC);
    }
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::RunningOrFailed);
}

TEST_F(ExtractorFixture, RequestAbortFromFileExtractedStopsWithMinusTwo) {
    std::string arc = Build({{"a.txt", Compressible(10)}, {"b.txt", Compressible(10)}});
    TExtractor x;
    Prepare(x, arc);
    int extracted = 0;
    x.OnFileExtracted = [&](archive::TArchiverRoot& sender, const archive::TFileEntry&,
                            const std::string&) {
        ++extracted;
        sender.RequestAbort();
    };
    EXPECT_THROW(x.ExtractAll(), archive::EAbort);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::AbortRequested);
    // The next entry stops at its first progress point, before it is finished.
    EXPECT_EQ(extracted, 1);
    EXPECT_EQ(x.FilesProcessed(), 1);
    EXPECT_TRUE(prompts_.Records().empty());
}

TEST_F(ExtractorFixture, RequestAbortAfterTheLastEntryIsNotReportedAsSuccess) {
    std::string arc = Build({{"a.txt", Compressible(10)}});
    TExtractor x;
    Prepare(x, arc);
    x.OnFileExtracted = [](archive::TArchiverRoot& sender, const archive::TFileEntry&,
                           const std::string&) { sender.RequestAbort(); };
    EXPECT_THROW(x.ExtractAll(), archive::EAbort);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::AbortRequested);
}

TEST_F(ExtractorFixture, EmptyExtractPathFailsBeforeTheOperationStarts) {
    std::string arc = Build({{"a.txt", Compressible(10)}});
    TExtractor x;
    x.SetFileName(arc);
    bool started = false;
    x.OnStartOperation = [&](archive::TArchiverRoot&) { started = true; };
    try {
        x.ExtractAll();
        FAIL() << "no exception";
    } catch (const archive::EArchiver& e) {
        EXPECT_EQ(std::string(e.what()), W1252("Es necesario la trayectoria de extracción"));
    }
    EXPECT_FALSE(started);
}

TEST_F(ExtractorFixture, UnwritableDestinationGoesThroughTheErrorPolicy) {
    Bytes good = Compressible(10);
    std::string arc = Build({{"a.txt", Compressible(10)}, {"b.txt", good}});
    platform::ScopedFaults faults;
    platform::InjectFault(platform::FaultKind::CreateFile);
    TExtractor x;
    Prepare(x, arc);
    std::string error = FirstError(x);
    EXPECT_EQ(error, "No puedo crear el Archivo C:\\out\\a.txt");
    EXPECT_EQ(ReadFileBytes(Out("b.txt")), good);
}

TEST_F(ExtractorFixture, BusyComponentRefusesAndWarnsOnce) {
    std::string arc = Build({{"a.txt", Compressible(10)}, {"b.txt", Compressible(10)}});
    TExtractor x;
    Prepare(x, arc);
    int nested = 0;
    x.OnExtractFile = [&](archive::TArchiverRoot&, const archive::TFileEntry&, std::string&,
                          bool&) {
        if (nested++ == 0) x.Open();
    };
    prompts_.QueueResult(archive::MessageResult::idOK);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    ASSERT_EQ(prompts_.Records().size(), 1u);
    EXPECT_EQ(prompts_.Records()[0].Lines.at(0),
              W1252("Componente TExtractor esta Ocupado. Cancelar operación actual  y reintentar"));
}

} // namespace
} // namespace vexo::extract::testing
