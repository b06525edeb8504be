// MakeSeeds.cpp - writes the seed corpora of the fuzz targets:
//     fuzz_make_seeds SOURCE_DIR OUT_DIR
// Archives come from the package builder's writer (compressed, stored, empty and folder
// entries, a comment, a self-extracting file, a solid archive, encrypted entries made with the
// fuzzing key, a first segment of several); the readers' seeds are the fixtures of the tests.
#include "FuzzSupport.h"
#include "archive/ArchiveWriter.h"
#include "archive/Checksum.h"
#include "archive/DateTime.h"
#include "archive/Format.h"
#include "archive/StreamIO.h"
#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"
#include "platform/Encoding.h"
#include "platform/ScopedTestPrefix.h"
#include "platform/Shell.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>
#include <zlib.h>

namespace fs = std::filesystem;
using namespace vexo;
using Bytes = std::vector<std::uint8_t>;

namespace {

fs::path g_out;

void Save(const std::string& target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(g_out / target);
    std::ofstream(g_out / target / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Text that compresses, so blocks are real zlib streams.
Bytes Text(std::size_t n, char seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>("DALVO contabilidad "[(i + seed) % 19]);
    return b;
}

const archive::TDateTime kDate = archive::CivilToDateTime({2009, 1, 22, 9, 36, 36, 0});

Bytes Archive(const archive::ArchiveWriterOptions& options,
              const std::function<void(archive::ArchiveWriter&)>& fill) {
    platform::MemoryStream s;
    archive::ArchiveWriter w(s, options);
    fill(w);
    w.Finish();
    return s.Bytes();
}

// Program image, tag block, archive and the locator trailer.
Bytes SelfExtracting(const Bytes& archiveBytes) {
    Bytes out(512, 0);
    out[0] = 'M';
    out[1] = 'Z';
    Bytes tag = archive::MakeTagBlock(0);
    out.insert(out.end(), tag.begin(), tag.end());
    const auto start = static_cast<std::int32_t>(out.size());
    out.insert(out.end(), archiveBytes.begin(), archiveBytes.end());
    platform::MemoryStream s(std::move(out));
    s.Seek(0, platform::SeekOrigin::End);
    archive::WriteLocator(s, start);
    return s.Bytes();
}

// An archive written record by record: the entries are flagged encrypted and each block's
// payload is the fuzzing key's ciphertext of a zlib stream (or of the stored bytes).
Bytes EncryptedArchive(bool stored) {
    extract::TBlowFish cipher;
    platform::MemoryStream s;
    archive::TArchiveHeader h;
    h.Version = 1;
    h.ArchiveID = 515;
    h.BlockSize = 4096;
    h.Segment = 1;
    h.Flags = archive::kHeaderStored | archive::kHeaderFinalSegment;
    archive::WriteHeader(s, h);
    const char* names[] = {"CIFRADO\\UNO.TXT", "CIFRADO\\DOS.TXT"};
    for (int i = 0; i < 2; ++i) {
        Bytes plain = Text(i == 0 ? 6000 : 300, static_cast<char>(i));
        Bytes data;
        for (std::size_t pos = 0; pos < plain.size(); pos += 4096) {
            Bytes piece(plain.begin() + static_cast<std::ptrdiff_t>(pos),
                        plain.begin() +
                            static_cast<std::ptrdiff_t>(std::min(plain.size(), pos + 4096)));
            Bytes payload = piece;
            if (!stored) {
                uLongf n = compressBound(static_cast<uLong>(piece.size()));
                payload.resize(n);
                compress2(payload.data(), &n, piece.data(), static_cast<uLong>(piece.size()), 9);
                payload.resize(n);
            }
            Bytes sealed = extract::EncodeEncryptedPayload(cipher, fuzz::kFuzzKey, payload);
            Bytes head(8);
            const auto len = static_cast<std::int32_t>(sealed.size());
            archive::PutInt32At(head.data(), stored ? -len : len);
            archive::PutInt32At(head.data() + 4, static_cast<std::int32_t>(archive::StoredChecksum(
                                                     payload.data(), payload.size())));
            data.insert(data.end(), head.begin(), head.end());
            data.insert(data.end(), sealed.begin(), sealed.end());
        }
        archive::TFileEntry e;
        e.Name = names[i];
        e.Date = kDate;
        e.Attributes = 0x20;
        e.Segment = 1;
        e.Offset = static_cast<std::int32_t>(s.Position());
        e.Flags = archive::kEntryStored | archive::kEntryLastPiece | archive::kEntryEncrypted;
        e.FileSize = e.PieceSize = static_cast<std::int32_t>(plain.size());
        e.FileStoredSize = e.PieceStoredSize = static_cast<std::int32_t>(data.size());
        e.InstallRule = 'R';
        archive::WriteFileEntry(s, e);
        s.WriteBuffer(data.data(), data.size());
        for (auto* t : {&h.ArchiveInfo, &h.SegmentInfo}) {
            ++t->FileCount;
            t->Size += e.FileSize;
            t->CompressedSize += e.PieceStoredSize;
        }
    }
    h.EndOffset = static_cast<std::int32_t>(s.Position());
    s.SetPosition(0);
    archive::WriteHeader(s, h);
    return s.Bytes();
}

void ArchiveSeeds() {
    archive::ArchiveWriterOptions small;
    small.BlockSize = 4096;
    small.ArchiveID = 6830156;
    const Bytes plain = Archive(small, [](archive::ArchiveWriter& w) {
        w.AddFile("115_300-09\\ADMON.TAB", kDate, 0x2020, 'R', Text(5022, 1));
        w.AddFile("DATOS\\VACIO.DAT", kDate, 0x20, 'N', Bytes{});
        w.AddFolder("VACIA", kDate, 0x10, 'R');
        w.AddFile("RAIZ.TXT", kDate, 0x21, 'P', Text(100, 2));
    });
    archive::ArchiveWriterOptions stored = small;
    stored.Store = true;
    stored.Comment = platform::Utf8ToCp1252("Versión de prueba");
    const Bytes storedArchive = Archive(stored, [](archive::ArchiveWriter& w) {
        w.AddFile("DATOS\\EJEMPLO.INI", kDate, 0x20, 'D', Text(9000, 3));
    });
    // Names the extraction must keep inside its root.
    const Bytes hostile = Archive(small, [](archive::ArchiveWriter& w) {
        w.AddFile("..\\..\\FUERA.TXT", kDate, 0x20, 'R', Text(10, 4));
        w.AddFile("C:\\ABSOLUTO\\B.TXT", kDate, 0x20, 'R', Text(10, 5));
        w.AddFile("\\\\servidor\\recurso\\C.TXT", kDate, 0x20, 'R', Text(10, 6));
    });
    // A solid archive: one entry whose data is a whole archive.
    const Bytes solid = [&] {
        platform::MemoryStream s;
        archive::ArchiveWriter w(s, small);
        w.AddFile("SOLIDO.ARC", kDate, 0x20, 'R', plain);
        archive::TArchiveHeader h = w.Finish();
        h.Flags |= archive::kHeaderSolid;
        s.SetPosition(0);
        archive::WriteHeader(s, h);
        return s.Bytes();
    }();
    // The first of several segments: the walk asks for the next one.
    Bytes firstSegment = plain;
    firstSegment[76] &= static_cast<std::uint8_t>(~archive::kHeaderFinalSegment);

    const Bytes encrypted = EncryptedArchive(false);
    const Bytes encryptedStored = EncryptedArchive(true);
    for (const char* target : {"archive_list", "extract"}) {
        Save(target, "plain.vxa", plain);
        Save(target, "stored.vxa", storedArchive);
        Save(target, "hostile.vxa", hostile);
        Save(target, "solid.vxa", solid);
        Save(target, "first-segment.vxa", firstSegment);
        Save(target, "encrypted.vxa", encrypted);
        Save(target, "encrypted-stored.vxa", encryptedStored);
        Save(target, "sfx.exe", SelfExtracting(plain));
        Save(target, "sfx-encrypted.exe", SelfExtracting(encrypted));
    }
}

void EncryptedBlockSeeds() {
    extract::TBlowFish cipher;
    const std::string key = fuzz::kFuzzKey;
    int n = 0;
    for (std::size_t size : {1u, 7u, 8u, 9u, 64u, 300u}) {
        Bytes in{static_cast<std::uint8_t>(key.size())};
        in.insert(in.end(), key.begin(), key.end());
        Bytes sealed = extract::EncodeEncryptedPayload(cipher, key, Text(size, 7));
        in.insert(in.end(), sealed.begin(), sealed.end());
        Save("encrypted_block", "sealed-" + std::to_string(n++), in);
    }
    Save("encrypted_block", "short-key", Bytes{3, 'a', 'b', 'c', 1, 2, 3, 4, 5, 6, 7, 8, 0});
}

void IniSeeds(const fs::path& source) {
    struct Query {
        const char *section, *key;
        fs::path file;
    };
    const Query queries[] = {
        {"PATH", "Datos", source / "data/package/tree/Programa/DALVO.INI"},
        {"DALVO", "Datos", source / "data/sample/tree/DATOS/EJEMPLO.INI"},
    };
    int n = 0;
    for (const auto& q : queries) {
        if (!fs::exists(q.file)) continue;
        std::string head = std::string(q.section) + "\n" + q.key + "\n";
        Bytes in(head.begin(), head.end());
        Bytes body = Slurp(q.file);
        in.insert(in.end(), body.begin(), body.end());
        Save("ini", "file-" + std::to_string(n++), in);
    }
    const std::string inline_ =
        "Rutas\nDatos\n; comentario\r\n[Rutas]\r\nDatos = C:\\DALVO\\DATOS \r\n[Rutas]\r\nx=y";
    Save("ini", "inline", Bytes(inline_.begin(), inline_.end()));
    const std::string bom = "A\nB\n\xEF\xBB\xBF[A]\nB=año\n";
    Save("ini", "utf8-bom", Bytes(bom.begin(), bom.end()));
}

void ShellLinkSeeds(const fs::path& source) {
    for (const auto& e : fs::directory_iterator(source / "tests/data/lnk"))
        if (e.path().extension() == ".lnk")
            Save("shell_link", e.path().filename().string(), Slurp(e.path()));
    platform::ScopedTestPrefix prefix;
    platform::ShellLink link{"C:\\DALVO\\Programa\\DALVO.EXE", "C:\\DALVO\\Programa",
                             "Contabilidad DALVO"};
    platform::WriteShellLink("C:\\semilla.lnk", link);
    Save("shell_link", "written.lnk", Slurp(prefix.Host("drive_c/semilla.lnk")));
}

void VersionInfoSeeds(const fs::path& source) {
    for (const auto& e : fs::directory_iterator(source / "tests/data/pe")) {
        const auto ext = e.path().extension();
        if (ext == ".dll" || ext == ".exe")
            Save("version_info", e.path().filename().string(), Slurp(e.path()));
    }
    const fs::path program = source / "data/package/tree/Programa/DALVO.EXE";
    if (fs::exists(program)) Save("version_info", "package-DALVO.EXE", Slurp(program));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: fuzz_make_seeds SOURCE_DIR OUT_DIR\n";
        return 2;
    }
    const fs::path source = argv[1];
    g_out = argv[2];
    try {
        ArchiveSeeds();
        EncryptedBlockSeeds();
        IniSeeds(source);
        ShellLinkSeeds(source);
        VersionInfoSeeds(source);
    } catch (const std::exception& e) {
        std::cerr << "fuzz_make_seeds: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
