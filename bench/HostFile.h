// HostFile.h - a read-only stdio stream for the benchmark programs, which take host paths.
#pragma once

#include "platform/Stream.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace vexo::bench {

class HostFile final : public platform::Stream {
  public:
    explicit HostFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {
        if (file_ == nullptr) throw std::runtime_error("cannot open " + path);
    }
    ~HostFile() override { std::fclose(file_); }

    std::size_t Read(void* buffer, std::size_t count) override {
        return std::fread(buffer, 1, count, file_);
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, platform::SeekOrigin origin) override {
        int whence = origin == platform::SeekOrigin::Begin     ? SEEK_SET
                     : origin == platform::SeekOrigin::Current ? SEEK_CUR
                                                               : SEEK_END;
        if (fseeko(file_, offset, whence) != 0) throw std::runtime_error("seek failed");
        return ftello(file_);
    }
    std::int64_t Size() override {
        off_t here = ftello(file_);
        fseeko(file_, 0, SEEK_END);
        off_t size = ftello(file_);
        fseeko(file_, here, SEEK_SET);
        return size;
    }
    void Truncate() override { throw std::runtime_error("read-only"); }
    std::FILE* Handle() { return file_; }

  private:
    std::FILE* file_;
};

} // namespace vexo::bench
