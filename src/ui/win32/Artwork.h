// Artwork.h - the window's pictures, carried as resources and decoded by the system's imaging
// component.
#pragma once

#include "ui/win32/Win32.h"

#include <cstddef>
#include <memory>

namespace vexo::ui::win32 {

/// A decoded picture: a top-down 32-bit DIB section, its colours premultiplied by alpha.
class Picture {
  public:
    Picture() = default;
    Picture(HBITMAP bitmap, int width, int height)
        : bitmap_(bitmap), width_(width), height_(height) {}
    ~Picture();
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    explicit operator bool() const { return bitmap_ != nullptr; }
    HBITMAP Bitmap() const { return bitmap_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    /// The pixel at (x, y) as 0xAARRGGBB (premultiplied); 0 outside the picture.
    std::uint32_t Pixel(int x, int y) const;

  private:
    HBITMAP bitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

/// Decodes JPEG, PNG or any format the imaging component knows; an empty picture when the
/// bytes are no picture it can read.
Picture DecodePicture(const void* data, std::size_t size);

/// A resource of type RCDATA in the program file; null with size 0 when it has none.
const void* ProgramResource(int id, std::size_t& size);

/// The 554 x 401 background, decoded once.
const Picture& BackgroundPicture();
/// The browse buttons' 16 x 16 glyph as an icon (null when it cannot be made). The caller
/// destroys it.
HICON BrowseGlyphIcon();

} // namespace vexo::ui::win32
