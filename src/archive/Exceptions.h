// Exceptions.h - the exception family of the archive layer.
#pragma once

#include <stdexcept>
#include <string>

namespace vexo::archive {

/// The general exception; its message is Windows-1252 text shown to the user as it is.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

/// Errors of the archive component, carrying a text of its message set.
class EArchiver : public Exception {
  public:
    using Exception::Exception;
};

class EArchiverUncompress : public EArchiver {
  public:
    using EArchiver::EArchiver;
};

class EArchiverBadCRC : public EArchiver {
  public:
    using EArchiver::EArchiver;
};

class EArchiverBadKey : public EArchiver {
  public:
    using EArchiver::EArchiver;
};

/// The silent abort: a refusal or cancellation that no layer reports.
class EAbort : public Exception {
  public:
    EAbort() : Exception("Operation aborted") {}
};

} // namespace vexo::archive
