#ifndef SPEECHRECORDERENGINE_H
#define SPEECHRECORDERENGINE_H

#include <QFile>
#include <QLocale>
#include <QTextToSpeechEngine>
#include <QVoice>

// Writes "<milliseconds since the epoch>\t<text>" lines instead of speaking.
class SpeechRecorderEngine : public QTextToSpeechEngine
{
    Q_OBJECT
public:
    SpeechRecorderEngine(const QString &fileName, QObject *parent);

    QVector<QLocale> availableLocales() const override;
    QVector<QVoice> availableVoices() const override;
    void say(const QString &text) override;
    void stop() override {}
    void pause() override {}
    void resume() override {}
    double rate() const override { return 0; }
    bool setRate(double) override { return true; }
    double pitch() const override { return 0; }
    bool setPitch(double) override { return true; }
    QLocale locale() const override { return m_locale; }
    bool setLocale(const QLocale &locale) override;
    double volume() const override { return 1; }
    bool setVolume(double) override { return true; }
    QVoice voice() const override { return QVoice(); }
    bool setVoice(const QVoice &) override { return true; }
    QTextToSpeech::State state() const override { return m_state; }

private:
    QFile m_file;
    QLocale m_locale;
    QTextToSpeech::State m_state = QTextToSpeech::Ready;
};

#endif
