// Artwork.cpp - resource bytes to bitmaps through the imaging component (WIC).
#include "ui/win32/Artwork.h"

#include "platform/win32/ComObjects.h"
#include "ui/win32/Resources.h"

#include <wincodec.h>

#include <cstring>
#include <utility>

namespace vexo::ui::win32 {

namespace {

using platform::win32::ComPtr;

/// The slot of a call that hands out an interface of the pointer's own type.
template <typename T> T** Out(ComPtr<T>& p) {
    return reinterpret_cast<T**>(p.Slot());
}

} // namespace

Picture::~Picture() {
    if (bitmap_) ::DeleteObject(bitmap_);
}

Picture::Picture(Picture&& other) noexcept
    : bitmap_(std::exchange(other.bitmap_, nullptr)), width_(other.width_), height_(other.height_) {
}

Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        if (bitmap_) ::DeleteObject(bitmap_);
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        width_ = other.width_;
        height_ = other.height_;
    }
    return *this;
}

std::uint32_t Picture::Pixel(int x, int y) const {
    if (!bitmap_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    DIBSECTION dib{};
    if (::GetObjectW(bitmap_, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) return 0;
    const auto* row = static_cast<const std::uint8_t*>(dib.dsBm.bmBits) +
                      static_cast<std::size_t>(y) * static_cast<std::size_t>(dib.dsBm.bmWidthBytes);
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, row + static_cast<std::size_t>(x) * 4, sizeof pixel);
    return pixel;
}

Picture DecodePicture(const void* data, std::size_t size) {
    if (!data || size == 0 || size > 0x7fffffff) return {};
    ComPtr<IWICImagingFactory> factory;
    if (!platform::win32::EnsureComApartment() ||
        FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.Slot())))
        return {};
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    // The stream reads the bytes in place; they outlive the decoding.
    auto* bytes = static_cast<BYTE*>(const_cast<void*>(data));
    if (FAILED(factory->CreateStream(Out(stream))) ||
        FAILED(stream->InitializeFromMemory(bytes, static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, Out(decoder))) ||
        FAILED(decoder->GetFrame(0, Out(frame))) ||
        FAILED(factory->CreateFormatConverter(Out(converter))) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 16384 ||
        height > 16384)
        return {};

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return {};
    Picture picture(bitmap, static_cast<int>(width), static_cast<int>(height));
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
        return {};
    return picture;
}

const void* ProgramResource(int id, std::size_t& size) {
    size = 0;
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!found) return nullptr;
    HGLOBAL loaded = ::LoadResource(self, found);
    if (!loaded) return nullptr;
    size = ::SizeofResource(self, found);
    return ::LockResource(loaded);
}

const Picture& BackgroundPicture() {
    static const Picture picture = [] {
        std::size_t size = 0;
        const void* bytes = ProgramResource(VEXO_RES_BACKGROUND_JPEG, size);
        return DecodePicture(bytes, size);
    }();
    return picture;
}

HICON BrowseGlyphIcon() {
    std::size_t size = 0;
    const void* bytes = ProgramResource(VEXO_RES_BROWSE_GLYPH_PNG, size);
    Picture glyph = DecodePicture(bytes, size);
    if (!glyph) return nullptr;
    // The alpha channel does the masking; the mask bitmap is only required to exist.
    HBITMAP mask = ::CreateBitmap(glyph.Width(), glyph.Height(), 1, 1, nullptr);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = glyph.Bitmap();
    info.hbmMask = mask;
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(mask);
    return icon;
}

} // namespace vexo::ui::win32
