#pragma once
// A TIFF frame's GeoTIFF tags, read through the metadata query reader of the Windows
// Imaging Component as the file holds them.

#include <windows.h>
#include <wincodec.h>

#include "PlainGeoreferencing.h"

// The tags of frame; those absent (and every tag of a frame that is no TIFF) left empty.
GeoTiffTags readGeoTiffTags(IWICBitmapFrameDecode& frame);
