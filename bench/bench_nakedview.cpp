// The naive baseline of the start-up figures: a bare QWebView that loads the
// map page and nothing else, as a program written without care would.
//   bench/bench_nakedview URL    prints "loaded html page" when the load ends
// With MARLU_BENCH_T0 (the launch time, ns since the epoch) it also says when
// each stage of its start was reached, for finding what start-up costs.
#include <QApplication>
#include <QUrl>
#include <QWebView>

#include <cstdio>
#include <ctime>

static void stage(const char *name)
{
    static const qint64 t0 = qEnvironmentVariable("MARLU_BENCH_T0").toLongLong();
    if (t0 <= 0)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "stage %s: %lld ms\n", name,
                 (qint64(now.tv_sec) * 1000000000 + now.tv_nsec - t0) / 1000000);
}

int main(int argc, char **argv)
{
    stage("main");
    QApplication app(argc, argv);
    stage("application");
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_nakedview URL\n");
        return 2;
    }
    QWebView view;
    stage("view");
    QObject::connect(&view, &QWebView::loadStarted, [] { stage("load started"); });
    QObject::connect(&view, &QWebView::loadFinished, [](bool ok) {
        stage("load finished");
        std::fprintf(stderr, ok ? "loaded html page\n" : "the page did not load\n");
    });
    view.load(QUrl(QString::fromLocal8Bit(argv[1])));
    view.show();
    stage("shown");
    std::fprintf(stderr, "window shown\n");
    return app.exec();
}
