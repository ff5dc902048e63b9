#pragma once

#include "formats/picture_bytes.h"

// An SVG's size from its root element: width and height in px (or an absolute unit), else
// from the viewBox; nothing when the first element is not svg.
PictureHeader readSvgHeader(const PictureBytes& bytes);
