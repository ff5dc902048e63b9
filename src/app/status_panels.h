#pragma once

#include <QString>

#include <optional>

// The texts of the status bar's panels.

QString pictureTotalText(int pictureRows); // panel 1: "图片总数：N"
QString pageTotalText(int pageRows);       // panel 2: "网页总数：N"
// Panel 5: the share of the page table up to the last dispatched row, "总进度：33%".
QString overallProgressText(int lastDispatchedRow, int pageRows);
// Panel 4: the load progress of the browser in slot, "进度：25% -2"; nothing when
// maximum is not positive (the panel then keeps its text).
std::optional<QString> loadProgressText(int slot, int progress, int maximum);
