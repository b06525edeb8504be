// ExtractorTestRun.cpp - TCustomExtractor::TestArchive, the test run over an archive: every block
// read, checked and decoded, nothing written.
#include "extract/Extractor.h"

#include "archive/Exceptions.h"
#include "archive/TextFormat.h"

#include <stdexcept>

namespace vexo::extract {
namespace {

// Takes the decoded bytes and forgets them, keeping only the position.
class DiscardStream final : public platform::Stream {
  public:
    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void*, std::size_t count) override {
        position_ += static_cast<std::int64_t>(count);
        if (position_ > size_) size_ = position_;
        return count;
    }
    std::int64_t Seek(std::int64_t offset, platform::SeekOrigin origin) override {
        std::int64_t base = origin == platform::SeekOrigin::Begin     ? 0
                            : origin == platform::SeekOrigin::Current ? position_
                                                                      : size_;
        position_ = base + offset;
        return position_;
    }
    std::int64_t Size() override { return size_; }
    void Truncate() override { size_ = position_; }

  private:
    std::int64_t position_ = 0;
    std::int64_t size_ = 0;
};

} // namespace

void TCustomExtractor::TestArchive(
    const std::function<void(const archive::TFileEntry&, const std::exception&)>& onFailure) {
    if (CheckBusy()) return;
    operationStatus_ = archive::TOperationStatus::Idle;
    operation_ = archive::opExtract; // encrypted entries ask for the key as extraction does
    StartOperation();
    Bracketed([&] {
        BeginReadingRun();
        WalkEntries([&](int) {
            const archive::TFileEntry entry = currentEntry_;
            const std::string text =
                archive::Format(Messages().CheckingFile, entry.Name, entry.FileSize);
            DisplayMessage(text);
            AddToLog(text);
            if ((entry.Flags & archive::kEntryFolder) != 0) {
                SkipEntryData(entry.Offset);
                return;
            }
            const double before = processedBytes_;
            try {
                DiscardStream sink;
                ReadEntryData(sink);
                ++filesProcessed_;
                CheckSegmentEnd();
            } catch (const archive::EAbort&) {
                throw;
            } catch (const std::runtime_error& e) {
                if (onFailure) onFailure(entry, e);
                processedBytes_ = before;
                SkipEntryData(currentEntry_.Offset);
            }
        });
        if (abortFlag_) throw archive::EAbort();
        operationStatus_ = archive::TOperationStatus::Completed;
    });
}

} // namespace vexo::extract
