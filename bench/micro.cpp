// micro.cpp - micro-benchmarks of the per-block work: the checksum forms, block
// decompression with zlib and with the whole-buffer inflater, Blowfish decryption of a block
// with its key schedule, and the parsing of a header and an entry record.
#include "archive/Checksum.h"
#include "archive/Format.h"
#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"
#include "extract/Inflate.h"
#include "platform/Stream.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

using namespace vexo;
constexpr std::size_t kBlock = 65536;

// One block of each kind the corpus holds; the mix decides the decompression speed.
std::vector<std::uint8_t> BlockContent(int kind) {
    std::mt19937 rng(static_cast<unsigned>(kind) + 1);
    std::vector<std::uint8_t> data(kBlock);
    static const char kText[] = "2024-03-01 10:22:31.417 [INFO] asiento diario saldo importe\n";
    for (std::size_t k = 0; k < kBlock; ++k) {
        switch (kind) {
        case 0: // text with variation
            data[k] = static_cast<std::uint8_t>(rng() % 8 == 0 ? '0' + rng() % 10
                                                               : kText[k % (sizeof kText - 1)]);
            break;
        case 1: // records
            data[k] = static_cast<std::uint8_t>(k % 32 < 8    ? (k / 32) >> (8 * (k % 4))
                                                : k % 32 < 12 ? rng() % 16
                                                              : 0);
            break;
        default: // incompressible
            data[k] = static_cast<std::uint8_t>(rng());
        }
    }
    return data;
}

std::vector<std::uint8_t> Random(std::size_t n) {
    std::mt19937 rng(42);
    std::vector<std::uint8_t> d(n);
    for (auto& b : d)
        b = static_cast<std::uint8_t>(rng());
    return d;
}

void BM_ChecksumReference(benchmark::State& state) {
    auto d = Random(kBlock);
    for (auto _ : state)
        benchmark::DoNotOptimize(archive::ArchiveChecksumReference(0xFFFFFFFFu, d.data(), kBlock));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBlock));
}
BENCHMARK(BM_ChecksumReference);

void BM_ChecksumByteWise(benchmark::State& state) {
    auto d = Random(kBlock);
    for (auto _ : state)
        benchmark::DoNotOptimize(archive::ArchiveChecksum(0xFFFFFFFFu, d.data(), kBlock));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBlock));
}
BENCHMARK(BM_ChecksumByteWise);

// The wider-table form on one lone block: two input bytes per step through a 65,536-entry
// table of the two-step results. Alone it does not pay on this CPU (the table leaves L1); only
// the batch form, with several chains in flight, uses it.
std::vector<std::uint32_t> TwoByteTable() {
    std::vector<std::uint32_t> t(65536);
    for (std::uint32_t x = 0; x < 65536; ++x) {
        const std::uint8_t bytes[2] = {0, 0};
        t[x] = archive::ArchiveChecksum(x, bytes, 2);
    }
    return t;
}

std::uint32_t TwoByteChecksum(const std::vector<std::uint32_t>& t, std::uint32_t c,
                              const std::uint8_t* p, std::size_t n) {
    std::size_t k = 0;
    for (; k + 2 <= n; k += 2)
        c = (c >> 16) ^ t[(c ^ (p[k] | static_cast<std::uint32_t>(p[k + 1]) << 8)) & 0xFFFF];
    return archive::ArchiveChecksum(c, p + k, n - k);
}

void BM_ChecksumTwoByteTable(benchmark::State& state) {
    auto d = Random(kBlock);
    const auto t = TwoByteTable();
    if (TwoByteChecksum(t, 0xFFFFFFFFu, d.data(), kBlock) !=
        archive::ArchiveChecksumReference(0xFFFFFFFFu, d.data(), kBlock))
        state.SkipWithError("two-byte table disagrees");
    for (auto _ : state)
        benchmark::DoNotOptimize(TwoByteChecksum(t, 0xFFFFFFFFu, d.data(), kBlock));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBlock));
}
BENCHMARK(BM_ChecksumTwoByteTable);

// Blocks of compressed payload lengths as they come (not all equal), `range(0)` at a time.
void BM_ChecksumBatch(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    auto d = Random(kBlock * count);
    std::vector<archive::ChecksumArea> areas(count);
    std::size_t total = 0;
    for (auto _ : state) {
        total = 0;
        for (std::size_t k = 0; k < count; ++k) {
            std::size_t len = kBlock - (k * 7919) % 4096;
            areas[k] = {d.data() + k * kBlock, len, 0xFFFFFFFFu};
            total += len;
        }
        archive::ArchiveChecksumMany(areas);
        benchmark::DoNotOptimize(areas.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * total));
}
BENCHMARK(BM_ChecksumBatch)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(16);

std::vector<std::uint8_t> Compressed(int kind) {
    auto plain = BlockContent(kind);
    uLongf n = compressBound(kBlock);
    std::vector<std::uint8_t> c(n);
    compress2(c.data(), &n, plain.data(), kBlock, 9);
    c.resize(n);
    return c;
}

// Bytes processed are decoded bytes.
void BM_InflateZlib(benchmark::State& state) {
    auto c = Compressed(static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> out(kBlock);
    for (auto _ : state) {
        uLongf m = kBlock;
        if (uncompress(out.data(), &m, c.data(), c.size()) != Z_OK) state.SkipWithError("zlib");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBlock));
}
BENCHMARK(BM_InflateZlib)->Arg(0)->Arg(1)->Arg(2)->ArgName("text0_records1_random2");

void BM_InflateWholeBuffer(benchmark::State& state) {
    auto c = Compressed(static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> out(kBlock);
    extract::Inflater inflater;
    for (auto _ : state) {
        if (!inflater.Inflate(out.data(), kBlock, c.data(), c.size()))
            state.SkipWithError("inflate");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBlock));
}
BENCHMARK(BM_InflateWholeBuffer)->Arg(0)->Arg(1)->Arg(2)->ArgName("text0_records1_random2");

// A block payload of the given plain length, decrypted as the extractor does for every block of
// an encrypted entry: the key is set up per payload (its tables kept, the key being the same).
void BM_BlowfishBlock(benchmark::State& state) {
    const auto plainLength = static_cast<std::size_t>(state.range(0));
    extract::TBlowFish cipher;
    const std::string key = "clave-de-prueba";
    auto plain = Random(plainLength);
    const auto payload = extract::EncodeEncryptedPayload(cipher, key, plain);
    std::vector<std::uint8_t> work(payload);
    for (auto _ : state) {
        std::copy(payload.begin(), payload.end(), work.begin());
        auto r = extract::DecodeEncryptedPayload(cipher, key, work);
        benchmark::DoNotOptimize(r.plainLength);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plainLength));
}
BENCHMARK(BM_BlowfishBlock)->Arg(30000)->Arg(65536);

// The same with two keys taking turns, so every payload pays for a full key schedule.
void BM_BlowfishBlockKeyChange(benchmark::State& state) {
    const auto plainLength = static_cast<std::size_t>(state.range(0));
    extract::TBlowFish cipher;
    const std::string keys[] = {"clave-de-prueba", "otra-clave-de-prueba"};
    auto plain = Random(plainLength);
    const std::vector<std::uint8_t> payloads[] = {
        extract::EncodeEncryptedPayload(cipher, keys[0], plain),
        extract::EncodeEncryptedPayload(cipher, keys[1], plain)};
    std::vector<std::uint8_t> work(payloads[0]);
    std::size_t turn = 0;
    for (auto _ : state) {
        turn ^= 1;
        std::copy(payloads[turn].begin(), payloads[turn].end(), work.begin());
        auto r = extract::DecodeEncryptedPayload(cipher, keys[turn], work);
        benchmark::DoNotOptimize(r.plainLength);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plainLength));
}
BENCHMARK(BM_BlowfishBlockKeyChange)->Arg(30000)->Arg(65536);

// The ECB loop alone over a span in place, the tables set up once.
void BM_BlowfishEcbSpan(benchmark::State& state) {
    const auto length = static_cast<std::size_t>(state.range(0));
    extract::TBlowFish cipher;
    cipher.SetKey("clave-de-prueba");
    cipher.SetupKey();
    auto data = Random(length);
    for (auto _ : state) {
        cipher.DecryptEcbSpan(data);
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * length));
}
BENCHMARK(BM_BlowfishEcbSpan)->Arg(4096)->Arg(65536);

void BM_ParseHeader(benchmark::State& state) {
    archive::TArchiveHeader h;
    h.Signature = archive::kArchiveSignature;
    h.Version = 1;
    h.BlockSize = kBlock;
    h.EndOffset = 1 << 20;
    h.Comment = "Paquete de prueba";
    platform::MemoryStream s;
    archive::WriteHeader(s, h);
    for (auto _ : state) {
        s.SetPosition(0);
        archive::TArchiveHeader read;
        benchmark::DoNotOptimize(archive::ReadHeader(s, read));
    }
}
BENCHMARK(BM_ParseHeader);

void BM_ParseEntry(benchmark::State& state) {
    archive::TFileEntry e;
    e.Name = "115_300-09\\DATOS\\ADMON.TAB";
    e.FileSize = 704512;
    e.PieceStoredSize = e.FileStoredSize = 300000;
    e.Flags = archive::kEntryLastPiece;
    e.InstallRule = 'P';
    platform::MemoryStream s;
    archive::WriteFileEntry(s, e);
    for (auto _ : state) {
        s.SetPosition(0);
        archive::TFileEntry read;
        archive::ReadFileEntry(s, read);
        benchmark::DoNotOptimize(read.FileSize);
    }
}
BENCHMARK(BM_ParseEntry);

} // namespace
