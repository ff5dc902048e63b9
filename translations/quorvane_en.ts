<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Form1</name>
    <message>
        <source>上次的搜索没有正常结束，要恢复吗？</source>
        <translation>The last search did not end properly. Restore it?</translation>
    </message>
    <message>
        <source>下载已停止：%1</source>
        <translation>Downloads stopped: %1</translation>
    </message>
    <message>
        <source>下载显示的 %1 张图片（共 %2 张）：选择保存图片的文件夹</source>
        <translation>Download the %1 pictures shown (of %2): choose a folder</translation>
    </message>
    <message>
        <source>下载所选的 %1 张图片：选择保存图片的文件夹</source>
        <translation>Download the %1 selected pictures: choose a folder</translation>
    </message>
    <message>
        <source>列表</source>
        <translation>List</translation>
    </message>
    <message>
        <source>缩略图</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>标签页</source>
        <translation>Tabs</translation>
    </message>
    <message>
        <source>另存为（显示的 %1 行，共 %2 行）</source>
        <translation>Save as (the %1 rows shown of %2)</translation>
    </message>
    <message>
        <source>图片列表、缩略图或网页标签页</source>
        <translation>The picture list, the thumbnails or the browser tabs</translation>
    </message>
    <message>
        <source>无法保存搜索记录：%1</source>
        <translation>Cannot keep the search record: %1</translation>
    </message>
    <message>
        <source>是否保存图片列表？</source>
        <translation>Save the picture list?</translation>
    </message>
    <message>
        <source>显示 %1 / %2</source>
        <translation>Shown %1 / %2</translation>
    </message>
    <message>
        <source>待搜索网站清单：</source>
        <translation>Sites to search:</translation>
    </message>
    <message>
        <source>全智能化搜索！整站彻底搜索！</source>
        <translation>Smart search of whole sites!</translation>
    </message>
    <message>
        <source>开始搜索</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止搜索</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>重新搜索出错项</source>
        <translation>Retry failed</translation>
    </message>
    <message>
        <source>全部重新搜索</source>
        <translation>Redo all</translation>
    </message>
    <message>
        <source>最新版本</source>
        <translation>Latest</translation>
    </message>
    <message>
        <source>其他Brinvale</source>
        <translation>Brinvale</translation>
    </message>
    <message>
        <source>定制软件</source>
        <translation>Custom work</translation>
    </message>
    <message>
        <source>加入下载</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>提取标题</source>
        <translation>Titles</translation>
    </message>
    <message>
        <source>提取来源</source>
        <translation>Sources</translation>
    </message>
    <message>
        <source>等宽显示</source>
        <translation>Fit widths</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>下载全部</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>停止下载</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>图片网址</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>全部网页</source>
        <translation>All pages</translation>
    </message>
    <message>
        <source>浏览器0</source>
        <translation>Browser 0</translation>
    </message>
    <message>
        <source>浏览器1</source>
        <translation>Browser 1</translation>
    </message>
    <message>
        <source>浏览器2</source>
        <translation>Browser 2</translation>
    </message>
    <message>
        <source>源代码</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>无法保存到 %1：%2</source>
        <translation>Cannot save to %1: %2</translation>
    </message>
    <message>
        <source>下载全部：选择保存图片的文件夹</source>
        <translation>Download all: choose a folder for the pictures</translation>
    </message>
</context>
<context>
    <name>LogoImage</name>
    <message>
        <source>点击访问Brinvale网站...</source>
        <translation>Visit the Brinvale web site...</translation>
    </message>
</context>
<context>
    <name>PictureTable</name>
    <message>
        <source>文件名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>网址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>大小[KB]</source>
        <translation>Size [KB]</translation>
    </message>
    <message>
        <source>标题</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>宽度</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>高度</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>下载状态</source>
        <translation>Status</translation>
    </message>
</context>
<context>
    <name>PictureView</name>
    <message>
        <source>双击查看图片</source>
        <translation>Double-click to view the picture</translation>
    </message>
</context>
<context>
    <name>SearchSession</name>
    <message>
        <source>重新提取可能要花费很多时间，要继续吗？</source>
        <translation>Searching every page again may take a long time. Go on?</translation>
    </message>
</context>
<context>
    <name>StatusPanels</name>
    <message>
        <source>图片总数：</source>
        <translation>Pictures: </translation>
    </message>
    <message>
        <source>网页总数：</source>
        <translation>Pages: </translation>
    </message>
    <message>
        <source>总进度：%1%</source>
        <translation>Done: %1%</translation>
    </message>
    <message>
        <source>进度：%1% -%2</source>
        <translation>Load: %1% -%2</translation>
    </message>
</context>
<context>
    <name>FilterInputs</name>
    <message>
        <source>筛选</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>网址或文件名中的文字；以 / 开头为正则表达式</source>
        <translation>Text in the address or file name; a leading / makes a regular expression</translation>
    </message>
    <message>
        <source>最小宽</source>
        <translation>Min W</translation>
    </message>
    <message>
        <source>最小高</source>
        <translation>Min H</translation>
    </message>
    <message>
        <source>图片类型</source>
        <translation>Picture type</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
</context>
<context>
    <name>PictureActions</name>
    <message>
        <source>打开图片</source>
        <translation>Open picture</translation>
    </message>
    <message>
        <source>打开来源网页</source>
        <translation>Open source page</translation>
    </message>
    <message>
        <source>复制网址</source>
        <translation>Copy addresses</translation>
    </message>
    <message>
        <source>下载所选图片</source>
        <translation>Download selected</translation>
    </message>
</context>
<context>
    <name>ShownTexts</name>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>正在打开 %1...</source>
        <translation>Opening %1...</translation>
    </message>
    <message>
        <source>等待下载</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>正在下载</source>
        <translation>Downloading</translation>
    </message>
    <message>
        <source>下载完成</source>
        <translation>Downloaded</translation>
    </message>
    <message>
        <source>下载出错</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>提取完成</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>不是网址</source>
        <translation>not a web address</translation>
    </message>
    <message>
        <source>长时间没有收到数据</source>
        <translation>nothing received for too long</translation>
    </message>
    <message>
        <source>超过下载时限</source>
        <translation>took too long</translation>
    </message>
    <message>
        <source>下载完成：与 %1 相同</source>
        <translation>Downloaded: same as %1</translation>
    </message>
    <message>
        <source>下载失败：%1</source>
        <translation>Failed: %1</translation>
    </message>
</context>
</TS>
