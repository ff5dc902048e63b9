<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Form1</name>
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
</TS>
