#ifndef FUZZAPP_H
#define FUZZAPP_H

#include <QEventLoop>
#include <QObject>

// The application object every target runs in: offscreen, log lines dropped
// (a finding is a crash, a hang or a sanitizer report, not a line).
void startFuzzApplication(int *argc, char ***argv);

// Runs the event loop until `sender` emits `signal`; a reply that never ends
// is a hang, which libFuzzer reports.
template<typename Sender, typename Signal>
void waitFor(Sender *sender, Signal signal)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    loop.exec();
}

#endif
