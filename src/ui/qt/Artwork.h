// Artwork.h - the background picture and the browse glyph, compiled into the program.
#pragma once

#include <cstddef>

#include <QImage>
#include <QPixmap>

namespace vexo::ui {

extern const unsigned char kBackgroundJpeg[];
extern const std::size_t kBackgroundJpegSize;
extern const unsigned char kBrowseGlyphPng[];
extern const std::size_t kBrowseGlyphPngSize;

/// The 554 x 401 background, decoded once.
const QImage& BackgroundImage();
/// The 16 x 16 glyph of the browse buttons.
QPixmap BrowseGlyph();

} // namespace vexo::ui
