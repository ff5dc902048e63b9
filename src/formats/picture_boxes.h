#pragma once

#include "formats/picture_bytes.h"

// Sizes of the box-based formats (ISO base media boxes and JPEG XL's container).

// AVIF and HEIF: the ispe property of the primary item (pitm + ipma), else the largest ispe.
PictureHeader readIsoBmffHeader(const PictureBytes& bytes);

// JPEG XL: the SizeHeader of a bare codestream, or of the codestream in a jxlc or first jxlp box.
PictureHeader readJxlHeader(const PictureBytes& bytes);
