// PackageValues.cpp - fixed offsets inside the two areas the archive component leaves alone.
#include "archive/PackageValues.h"

#include "archive/Exceptions.h"
#include "archive/StreamIO.h"

#include <algorithm>
#include <cstring>

namespace vexo::archive {

std::uint16_t EncodePackageDate(const PackageDate& d) {
    if (d.year < 1900 || d.year > 2027 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31)
        throw Exception("Package date out of range (1900-01-01 to 2027-12-31)");
    return static_cast<std::uint16_t>((d.year - 1900) << 9 | d.month << 5 | d.day);
}

PackageDate DecodePackageDate(std::uint16_t w) {
    return {(w >> 9) + 1900, (w & 511) >> 5, w & 31};
}

PackageValues ReadPackageValues(const TArchiveHeader& h) {
    PackageValues v;
    std::memcpy(v.PackageVersion.data(), h.ApplicationArea.data() + kPackageVersionOffset, 6);
    v.PackageCode = GetInt32At(h.ApplicationArea.data() + kPackageCodeOffset);
    v.PackageDate = static_cast<std::uint16_t>(h.ApplicationArea[kPackageDateOffset] |
                                               h.ApplicationArea[kPackageDateOffset + 1] << 8);
    // A length byte beyond the capacity would read past the field; keep to the field.
    std::size_t n = std::min<std::size_t>(h.UserData[kProductCodeOffset], kProductCodeCapacity);
    v.ProductCode.assign(reinterpret_cast<const char*>(h.UserData.data() + kProductCodeOffset + 1),
                         n);
    return v;
}

void WritePackageValues(TArchiveHeader& h, const PackageValues& v) {
    if (v.ProductCode.size() > kProductCodeCapacity)
        throw Exception("Product code longer than 20 characters");
    std::memcpy(h.ApplicationArea.data() + kPackageVersionOffset, v.PackageVersion.data(), 6);
    PutInt32At(h.ApplicationArea.data() + kPackageCodeOffset, v.PackageCode);
    h.ApplicationArea[kPackageDateOffset] = static_cast<std::uint8_t>(v.PackageDate & 0xFF);
    h.ApplicationArea[kPackageDateOffset + 1] = static_cast<std::uint8_t>(v.PackageDate >> 8);
    std::fill_n(h.UserData.data() + kProductCodeOffset, kProductCodeCapacity + 1, 0);
    h.UserData[kProductCodeOffset] = static_cast<std::uint8_t>(v.ProductCode.size());
    std::memcpy(h.UserData.data() + kProductCodeOffset + 1, v.ProductCode.data(),
                v.ProductCode.size());
}

} // namespace vexo::archive
