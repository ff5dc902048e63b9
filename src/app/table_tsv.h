#pragma once

#include <QByteArray>

class PageTable;
class PictureTable;

// The tables as tab-separated text, as table_formats.h describes TSV.

// The nine picture columns; what "另存为" and the headless runner write.
QByteArray pictureTableTsv(const PictureTable& pictures);
// 标题, 网址, 下载状态.
QByteArray pageTableTsv(const PageTable& pages);
