#pragma once

#include <QByteArray>

class PageTable;
class PictureTable;

// The tables as text files: UTF-8, tab-separated, a header line, then one line per row in
// table order, every line ended by "\n". A tab, CR or LF inside a field becomes a space.

// The nine picture columns; what "另存为" and the headless runner write.
QByteArray pictureTableTsv(const PictureTable& pictures);
// 标题, 网址, 下载状态.
QByteArray pageTableTsv(const PageTable& pages);
