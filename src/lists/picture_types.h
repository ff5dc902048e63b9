#pragma once

#include <QString>

// A file type (as getFileType gives it) that the picture table accepts: bmp, jpg, jpeg, tif,
// gif, png, ico or jpe, any letter case.
bool isPictureType(const QString& type);
