#include "WicGeoTiffTags.h"

#include <propidl.h>

#include "WicCom.h"

namespace {

// The tag's value as numbers, whatever numeric type the file stores it in.
template <typename Number>
std::vector<Number> numbersOf(const PROPVARIANT& value) {
    std::vector<Number> numbers;
    auto add = [&numbers](const auto* items, ULONG count) {
        for (ULONG i = 0; i < count; ++i) numbers.push_back(static_cast<Number>(items[i]));
    };
    switch (value.vt) {
        case VT_VECTOR | VT_R8: add(value.cadbl.pElems, value.cadbl.cElems); break;
        case VT_VECTOR | VT_R4: add(value.caflt.pElems, value.caflt.cElems); break;
        case VT_VECTOR | VT_UI2: add(value.caui.pElems, value.caui.cElems); break;
        case VT_VECTOR | VT_UI4: add(value.caul.pElems, value.caul.cElems); break;
        case VT_R8: numbers.push_back(static_cast<Number>(value.dblVal)); break;
        case VT_UI2: numbers.push_back(static_cast<Number>(value.uiVal)); break;
        default: break;
    }
    return numbers;
}

std::string textOf(const PROPVARIANT& value) {
    if (value.vt == VT_LPSTR && value.pszVal != nullptr) return value.pszVal;
    if (value.vt == VT_LPWSTR && value.pwszVal != nullptr) {
        std::string text;
        for (const wchar_t* c = value.pwszVal; *c != 0; ++c) text.push_back(static_cast<char>(*c < 0x80 ? *c : '?'));
        return text;
    }
    if (value.vt == (VT_VECTOR | VT_UI1)) return std::string(reinterpret_cast<const char*>(value.caub.pElems), value.caub.cElems);
    return "";
}

// Calls use(value) with tag's value when the frame has it.
template <typename Use>
void withTag(IWICMetadataQueryReader& reader, const wchar_t* query, Use use) {
    PROPVARIANT value;
    PropVariantInit(&value);
    if (SUCCEEDED(reader.GetMetadataByName(query, &value))) use(value);
    PropVariantClear(&value);
}

}  // namespace

GeoTiffTags readGeoTiffTags(IWICBitmapFrameDecode& frame) {
    GeoTiffTags tags;
    IWICMetadataQueryReader* reader = nullptr;
    if (FAILED(frame.GetMetadataQueryReader(&reader)) || reader == nullptr) return tags;
    {  // "/ifd" is a TIFF frame's own directory; other containers answer no such query
        withTag(*reader, L"/ifd/{ushort=33550}", [&](const PROPVARIANT& v) { tags.pixelScale = numbersOf<double>(v); });
        withTag(*reader, L"/ifd/{ushort=33922}", [&](const PROPVARIANT& v) { tags.tiepoints = numbersOf<double>(v); });
        withTag(*reader, L"/ifd/{ushort=34264}", [&](const PROPVARIANT& v) { tags.transformation = numbersOf<double>(v); });
        withTag(*reader, L"/ifd/{ushort=34735}", [&](const PROPVARIANT& v) { tags.geoKeys = numbersOf<uint16_t>(v); });
        withTag(*reader, L"/ifd/{ushort=34736}", [&](const PROPVARIANT& v) { tags.geoDoubles = numbersOf<double>(v); });
        withTag(*reader, L"/ifd/{ushort=34737}", [&](const PROPVARIANT& v) { tags.geoAscii = textOf(v); });
    }
    release(reader);
    return tags;
}
