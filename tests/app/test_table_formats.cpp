#include "lists/page_table.h"
#include "app/table_formats.h"
#include "lists/picture_table.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TableFormat)

namespace {

const QStringList pictureHeaders = {"文件名", "网址", "类型", "大小[KB]", "标题", "来源", "宽度", "高度", "下载状态"};

// Texts that break naive writers: separators of every format, quotes, line breaks of every
// kind, CJK, an astral character, a control character, spaces at the ends.
QList<QStringList> trickyRows()
{
    return {
        {"a,b.gif", "http://h.com/a,b.gif", "gif", "1,024.000", "say \"hi\"", "http://h.com/", "", "", ""},
        {"猫.jpg", "http://h.com/猫.jpg", "jpg", "", "标题\r\n第二行", "line\nbreak", "tab\there", "\\back", ""},
        {"x.png", "http://h.com/x.png", "png", "0.500", QString("v\vf\fnel") + QChar(0x85) + "ls" + QChar(0x2028) + "ps"
             + QChar(0x2029), " both ends ", QString("bell") + QChar(7), "\U0001F600", "'quoted'"},
    };
}

PictureTable& tricky(PictureTable& table)
{
    for (const QStringList& f : trickyRows())
        table.addRow({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
    return table;
}

// The file read back by Python's own readers: a JSON array of records, each a list of fields
// (JSON Lines: of [key, value] pairs, in file order).
const char* pythonReader = R"(
import csv, json, sys
path, fmt = sys.argv[1], sys.argv[2]
if fmt == "csv":
    with open(path, encoding="utf-8-sig", newline="") as f:
        rows = list(csv.reader(f, strict=True))
elif fmt == "jsonl":
    with open(path, encoding="utf-8") as f:
        rows = [list(map(list, json.loads(line).items())) for line in f.read().split("\n") if line]
else:
    with open(path, encoding="utf-8", newline="") as f:
        rows = [line.split("\t") for line in f.read().split("\n")[:-1]]
json.dump(rows, sys.stdout)
)";

QJsonArray readWithPython(const QString& path, const QString& format)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(pythonReader), path, format});
    if (!python.waitForFinished(20'000) || python.exitCode() != 0) {
        qWarning() << python.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

QJsonArray expectedRecords(TableFormat format)
{
    QJsonArray records;
    if (format != TableFormat::JsonLines)
        records.append(QJsonArray::fromStringList(pictureHeaders));
    for (QStringList fields : trickyRows()) {
        if (format == TableFormat::Tsv) {
            for (QString& field : fields) {
                for (QChar& c : field) {
                    if (QStringLiteral("\t\r\n\v\f\u0085\u2028\u2029").contains(c))
                        c = QLatin1Char(' ');
                }
            }
        }
        if (format != TableFormat::JsonLines) {
            records.append(QJsonArray::fromStringList(fields));
            continue;
        }
        QJsonArray pairs;
        for (int i = 0; i < fields.size(); ++i)
            pairs.append(QJsonArray{pictureHeaders.at(i), fields.at(i)});
        records.append(pairs);
    }
    return records;
}

} // namespace

class TestTableFormats : public QObject {
    Q_OBJECT

private slots:
    void formatNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("known");
        QTest::newRow("tsv") << "tsv" << true;
        QTest::newRow("csv") << "csv" << true;
        QTest::newRow("jsonl") << "jsonl" << true;
        QTest::newRow("upper case") << "CSV" << false;
        QTest::newRow("json") << "json" << false;
        QTest::newRow("empty") << "" << false;
    }
    void formatNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, known);
        QCOMPARE(tableFormatNamed(name).has_value(), known);
    }

    void trickyTextsReadBack_data()
    {
        QTest::addColumn<TableFormat>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("tsv") << TableFormat::Tsv << "tsv";
        QTest::newRow("csv") << TableFormat::Csv << "csv";
        QTest::newRow("jsonl") << TableFormat::JsonLines << "jsonl";
    }
    void trickyTextsReadBack()
    {
        QFETCH(TableFormat, format);
        QFETCH(QString, name);
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("python3 is not installed (scripts/setup.sh installs it)");
        PictureTable table;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("pictures.") + name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(pictureTableText(tricky(table), format));
        file.close();
        QCOMPARE(readWithPython(file.fileName(), name), expectedRecords(format));
    }

    // Exact bytes of a small table, so that a change of layout shows.
    void golden_data()
    {
        QTest::addColumn<TableFormat>("format");
        QTest::addColumn<QByteArray>("pictures");
        QTest::addColumn<QByteArray>("pages");
        QTest::newRow("tsv") << TableFormat::Tsv
            << QByteArray("文件名\t网址\t类型\t大小[KB]\t标题\t来源\t宽度\t高度\t下载状态\n"
                          "a.gif\thttp://h.com/a.gif\tgif\t1,024.000\t标 题  \thttp://h.com/\t\t\t\n")
            << QByteArray("标题\t网址\t下载状态\n[添加]\thttp://h.com/\t提取完成\n1\thttp://h.com/a b.htm\t\n");
        QTest::newRow("csv") << TableFormat::Csv
            << QByteArray("\xEF\xBB\xBF\"文件名\",\"网址\",\"类型\",\"大小[KB]\",\"标题\",\"来源\",\"宽度\",\"高度\",\"下载状态\"\r\n"
                          "\"a.gif\",\"http://h.com/a.gif\",\"gif\",\"1,024.000\",\"标\t题\r\n\",\"http://h.com/\",\"\",\"\",\"\"\r\n")
            << QByteArray("\xEF\xBB\xBF\"标题\",\"网址\",\"下载状态\"\r\n\"[添加]\",\"http://h.com/\",\"提取完成\"\r\n"
                          "\"1\",\"http://h.com/a\tb.htm\",\"\"\r\n");
        QTest::newRow("jsonl") << TableFormat::JsonLines
            << QByteArray("{\"文件名\":\"a.gif\",\"网址\":\"http://h.com/a.gif\",\"类型\":\"gif\",\"大小[KB]\":\"1,024.000\","
                          "\"标题\":\"标\\t题\\r\\n\",\"来源\":\"http://h.com/\",\"宽度\":\"\",\"高度\":\"\",\"下载状态\":\"\"}\n")
            << QByteArray("{\"标题\":\"[添加]\",\"网址\":\"http://h.com/\",\"下载状态\":\"提取完成\"}\n"
                          "{\"标题\":\"1\",\"网址\":\"http://h.com/a\\tb.htm\",\"下载状态\":\"\"}\n");
    }
    void golden()
    {
        QFETCH(TableFormat, format);
        QFETCH(QByteArray, pictures);
        QFETCH(QByteArray, pages);
        PictureTable pictureTable;
        pictureTable.addRow({QStringLiteral("a.gif"), QStringLiteral("http://h.com/a.gif"), QStringLiteral("gif"),
                             QStringLiteral("1,024.000"), QStringLiteral("标\t题\r\n"), QStringLiteral("http://h.com/"),
                             {}, {}, {}});
        PageTable pageTable;
        pageTable.addRow(QStringLiteral("[添加]"), QStringLiteral("http://h.com/"));
        pageTable.addRow(QStringLiteral("1"), QStringLiteral("http://h.com/a\tb.htm"));
        pageTable.setStatus(1, PageStatus::Done);
        QCOMPARE(pictureTableText(pictureTable, format), pictures);
        QCOMPARE(pageTableText(pageTable, format), pages);
    }

    // A large table goes out in pieces that each end a row, so that each piece turns into
    // UTF-8 on its own; a refused piece stops the writing.
    void pieces_data() { trickyTextsReadBack_data(); }
    void pieces()
    {
        QFETCH(TableFormat, format);
        PictureTable table;
        for (int i = 0; i < 3000; ++i) {
            const QString address = QStringLiteral("http://h.com/\U0001F600/猫%1.png").arg(i);
            table.addRow({QStringLiteral("猫%1.png").arg(i), address, QStringLiteral("png"), {}, QStringLiteral("标题\r\n"),
                          QStringLiteral("http://h.com/"), {}, {}, {}});
        }
        const QString rowEnd = format == TableFormat::Csv ? QStringLiteral("\r\n") : QStringLiteral("\n");
        QByteArray joined;
        int count = 0;
        QVERIFY(writePictureTable(table, format, {}, [&](const QString& piece) {
            ++count;
            joined += piece.toUtf8();
            return piece.endsWith(rowEnd);
        }));
        QVERIFY(count > 1);
        QCOMPARE(joined, pictureTableText(table, format));
        count = 0;
        QVERIFY(!writePictureTable(table, format, {}, [&count](const QString&) { return ++count < 2; }));
        QCOMPARE(count, 2);
    }

    void emptyTables_data()
    {
        QTest::addColumn<TableFormat>("format");
        QTest::addColumn<QByteArray>("pages");
        QTest::newRow("tsv: header only") << TableFormat::Tsv << QByteArray("标题\t网址\t下载状态\n");
        QTest::newRow("csv: mark and header") << TableFormat::Csv << QByteArray("\xEF\xBB\xBF\"标题\",\"网址\",\"下载状态\"\r\n");
        QTest::newRow("jsonl: nothing") << TableFormat::JsonLines << QByteArray();
    }
    void emptyTables()
    {
        QFETCH(TableFormat, format);
        QFETCH(QByteArray, pages);
        QCOMPARE(pageTableText(PageTable(), format), pages);
    }
};

QTEST_GUILESS_MAIN(TestTableFormats)
#include "test_table_formats.moc"
