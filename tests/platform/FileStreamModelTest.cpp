// FileStreamModelTest.cpp - file streams, on Windows paths or host paths, behave as the memory
// stream over the same bytes, through any mix of reads, writes, seeks and truncations.
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/ScopedTestPrefix.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

using namespace vexo::platform;

namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t n, std::mt19937& rng) {
    std::vector<std::uint8_t> b(n);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(rng());
    return b;
}

// Lengths around the read buffer's size, where the buffered and direct paths meet.
std::size_t RandomLength(std::mt19937& rng) {
    static const std::size_t kLengths[] = {0, 1, 4, 9, 100, 4095, 4096, 4097, 8191, 20000};
    const std::size_t base = kLengths[rng() % std::size(kLengths)];
    return base + rng() % 3;
}

// Opens the file the test made, C:\model.bin.
using Opener = std::function<std::unique_ptr<Stream>(const ScopedTestPrefix&)>;

Opener ByWindowsPath(OpenMode mode) {
    return [mode](const ScopedTestPrefix&) { return OpenFile("C:\\model.bin", mode); };
}

Opener ByHostPath(HostFileMode mode) {
    return [mode](const ScopedTestPrefix& prefix) {
        return OpenHostFile(prefix.Host("drive_c/model.bin"), mode);
    };
}

struct ModelCase {
    const char* what;
    Opener open;
    bool writes;
    bool empties; // the open cuts the file to nothing
    unsigned seed;
};

class FileStreamModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(FileStreamModel, AgreesWithTheMemoryStream) {
    const ModelCase& c = GetParam();
    ScopedTestPrefix prefix;
    std::mt19937 rng(c.seed);
    const auto initial = RandomBytes(50000, rng);
    OpenFile("C:\\model.bin", OpenMode::Create)->WriteBuffer(initial.data(), initial.size());

    auto file = c.open(prefix);
    MemoryStream model(c.empties ? std::vector<std::uint8_t>() : initial);
    for (int step = 0; step < 3000; ++step) {
        const unsigned op = rng() % (c.writes ? 6 : 4);
        SCOPED_TRACE(::testing::Message()
                     << "step " << step << " op " << op << " at " << model.Position());
        switch (op) {
        case 0:
        case 1: {
            const std::size_t n = RandomLength(rng);
            std::vector<std::uint8_t> got(n, 0xAA), want(n, 0xAA);
            ASSERT_EQ(file->Read(got.data(), n), model.Read(want.data(), n));
            ASSERT_EQ(got, want);
            break;
        }
        case 2: {
            const auto origin = static_cast<SeekOrigin>(rng() % 3);
            const std::int64_t offset = static_cast<std::int64_t>(rng() % 60000) - 30000;
            std::int64_t want = -1, got = -1;
            try {
                want = model.Seek(offset, origin);
            } catch (const PlatformError&) {
                EXPECT_THROW(file->Seek(offset, origin), PlatformError);
                break;
            }
            got = file->Seek(offset, origin);
            ASSERT_EQ(got, want);
            break;
        }
        case 3:
            ASSERT_EQ(file->Position(), model.Position());
            ASSERT_EQ(file->Size(), model.Size());
            break;
        case 4: {
            const auto data = RandomBytes(RandomLength(rng), rng);
            ASSERT_EQ(file->Write(data.data(), data.size()), model.Write(data.data(), data.size()));
            break;
        }
        case 5:
            if (rng() % 8 == 0) {
                file->Truncate();
                model.Truncate();
            }
            break;
        }
    }
    file.reset();
    auto check = OpenFile("C:\\model.bin", OpenMode::ReadShareAll);
    std::vector<std::uint8_t> onDisk(static_cast<std::size_t>(check->Size()));
    check->ReadBuffer(onDisk.data(), onDisk.size());
    EXPECT_EQ(onDisk, model.Bytes());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FileStreamModel,
    ::testing::Values(
        ModelCase{"ReadDenyWriteBuffered", ByWindowsPath(OpenMode::ReadDenyWrite), false, false, 1},
        ModelCase{"ReadCompatibilityBuffered", ByWindowsPath(OpenMode::Read), false, false, 2},
        ModelCase{"ReadShareAllUnbuffered", ByWindowsPath(OpenMode::ReadShareAll), false, false, 3},
        ModelCase{"ReadWrite", ByWindowsPath(OpenMode::ReadWrite), true, false, 4},
        ModelCase{"ReadWriteDenyWrite", ByWindowsPath(OpenMode::ReadWriteDenyWrite), true, false,
                  5},
        ModelCase{"HostReadBuffered", ByHostPath(HostFileMode::Read), false, false, 6},
        ModelCase{"HostCreate", ByHostPath(HostFileMode::Create), true, true, 7}),
    [](const auto& row) { return std::string(row.param.what); });

} // namespace
