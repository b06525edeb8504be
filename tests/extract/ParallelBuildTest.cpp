// ParallelBuildTest.cpp - archives whose blocks were compressed on several threads, at every
// level, plain, encrypted and in segments, read back by the extractor.
#include "ExtractorFixture.h"

#include "archive/SegmentedArchiveWriter.h"
#include "extract/PayloadEncryptor.h"

namespace vexo::extract::testing {
namespace {

const std::string kKey = "clave del paquete";

class ParallelBuild : public ExtractorFixture {
  protected:
    std::vector<SourceFile> Files() const {
        return {{"texto\\largo.txt", Compressible(200000)},
                {"azar.bin", RandomBytes(70000, 4)},
                {"vacio.txt", {}},
                {"carpeta", {}, true},
                {"texto\\corto.txt", Compressible(300)}};
    }

    std::string BuildWith(const archive::ArchiveWriterOptions& o,
                          const std::string& name = "C:\\work\\par.arc") {
        auto out = platform::OpenFile(name, platform::OpenMode::Create);
        archive::ArchiveWriter w(*out, o);
        for (const auto& f : Files()) {
            if (f.folder)
                w.AddFolder(f.name, f.date, 0x10, 'R');
            else
                w.AddFile(f.name, f.date, f.attributes, 'R', f.data);
        }
        w.Finish();
        return name;
    }

    void ExtractAndCompare(const std::string& archive, bool key = false) {
        TExtractor x;
        Prepare(x, archive);
        if (key) x.OnRequestCryptKey = [](archive::TArchiverRoot&, std::string& k) { k = kKey; };
        x.ExtractAll();
        EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
        for (const auto& f : Files()) {
            if (!f.folder) {
                EXPECT_EQ(ReadFileBytes(Out(f.name)), f.data) << f.name;
            }
        }
        EXPECT_TRUE(platform::DirectoryExists(Out("carpeta")));
    }
};

TEST_F(ParallelBuild, EveryLevelRoundTrips) {
    for (int level = archive::kMinCompressionLevel; level <= archive::kMaxCompressionLevel;
         ++level) {
        archive::ArchiveWriterOptions o;
        o.BlockSize = 16384;
        o.CompressionLevel = level;
        o.Threads = 3;
        SCOPED_TRACE(level);
        ExtractAndCompare(BuildWith(o));
    }
}

TEST_F(ParallelBuild, EncryptedBuildsAreTheSameOnAnyThreadCountAndRoundTrip) {
    std::vector<Bytes> archives;
    for (int threads : {1, 2, 4}) {
        archive::ArchiveWriterOptions o;
        o.BlockSize = 8192;
        o.ArchiveID = 5;
        o.Threads = threads;
        o.Encrypt = MakePayloadEncryptor(kKey);
        archives.push_back(ReadFileBytes(BuildWith(o)));
        SCOPED_TRACE(threads);
        ExtractAndCompare("C:\\work\\par.arc", true);
    }
    EXPECT_EQ(archives[1], archives[0]);
    EXPECT_EQ(archives[2], archives[0]);
}

TEST_F(ParallelBuild, SegmentedBuildsAreTheSameOnAnyThreadCountAndRoundTrip) {
    std::vector<std::vector<Bytes>> builds;
    for (int threads : {1, 2, 4}) {
        archive::ArchiveWriterOptions o;
        o.BlockSize = 4096;
        o.ArchiveID = 6;
        o.Threads = threads;
        archive::SegmentedArchiveWriter w("C:\\work\\DISCO.ARC", o, 25000);
        for (const auto& f : Files()) {
            if (f.folder)
                w.AddFolder(f.name, f.date, 0x10, 'R');
            else
                w.AddFile(f.name, f.date, f.attributes, 'R', f.data);
        }
        w.Finish();
        std::vector<Bytes> segments;
        for (const auto& name : w.SegmentNames())
            segments.push_back(ReadFileBytes(name));
        EXPECT_GE(segments.size(), 3u);
        builds.push_back(segments);
        SCOPED_TRACE(threads);
        ExtractAndCompare("C:\\work\\DISCO.ARC");
    }
    EXPECT_EQ(builds[1], builds[0]);
    EXPECT_EQ(builds[2], builds[0]);
}

} // namespace
} // namespace vexo::extract::testing
