// The naive baseline of the start-up figures: a bare QWebView that loads the
// map page and nothing else, as a program written without care would.
//   bench/bench_nakedview URL    prints "loaded html page" when the load ends
#include <QApplication>
#include <QUrl>
#include <QWebView>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_nakedview URL\n");
        return 2;
    }
    QWebView view;
    QObject::connect(&view, &QWebView::loadFinished, [](bool ok) {
        std::fprintf(stderr, ok ? "loaded html page\n" : "the page did not load\n");
    });
    view.load(QUrl(QString::fromLocal8Bit(argv[1])));
    view.show();
    return app.exec();
}
