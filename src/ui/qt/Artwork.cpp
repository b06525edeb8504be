// Artwork.cpp - decodes the compiled-in pictures on first use.
#include "ui/qt/Artwork.h"

#include "ui/qt/JpegDecoder.h"

namespace vexo::ui {

const QImage& BackgroundImage() {
    static const QImage image = DecodeJpeg(kBackgroundJpeg, kBackgroundJpegSize);
    return image;
}

QPixmap BrowseGlyph() {
    QPixmap glyph;
    glyph.loadFromData(kBrowseGlyphPng, static_cast<uint>(kBrowseGlyphPngSize), "PNG");
    return glyph;
}

} // namespace vexo::ui
