// javascript: links of one page that call two page functions in turn.
// Run by hand: build/bench_script_links

#include "links/script_links.h"
#include "links/url_resolution.h"

#include <QElapsedTimer>
#include <QTextStream>

int main()
{
    QTextStream out(stdout);
    // A page script of some size, the two functions at its end.
    const QString script = QStringLiteral("var filler = 1;\n").repeated(4096)
                           + QStringLiteral("function a(x){window.open('a.asp?x='+x)}\n"
                                            "function b(y){window.open('b.asp?y='+y)}\n");
    const QString base = QStringLiteral("http://h/d/p.htm");
    for (const int links : {5'000, 10'000, 20'000, 50'000}) {
        PageScripts page(script);
        QElapsedTimer timer;
        timer.start();
        qsizetype total = 0;
        for (int i = 0; i < links; ++i)
            total += resolveUrl(QStringLiteral("javascript:%1(%2)").arg(i % 2 ? u"b" : u"a").arg(i), base, &page).size();
        out << links << " links, " << script.size() / 1024 << " K characters of script: "
            << timer.elapsed() << " ms (" << total << " characters resolved)\n";
        out.flush();
    }
    return 0;
}
