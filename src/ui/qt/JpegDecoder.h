// JpegDecoder.h - JPEG bytes to an image, through libjpeg.
#pragma once

#include <cstddef>
#include <stdexcept>

#include <QImage>

namespace vexo::ui {

class JpegError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// Decodes baseline or progressive JPEG data to an RGB image. Raises JpegError with libjpeg's
/// message for data it cannot decode; never reads beyond `size` bytes.
QImage DecodeJpeg(const unsigned char* data, std::size_t size);

} // namespace vexo::ui
