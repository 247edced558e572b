#ifndef VOICEPROMPTER_H
#define VOICEPROMPTER_H

#include <QObject>
#include <QString>

class QTextToSpeech;

// Speaks guidance prompts through Qt's text-to-speech engines. The engine is
// made at the first prompt: speech-dispatcher, else flite, else whatever is
// installed (MARLU_SPEECH_ENGINE names another). Without an engine, or with
// one that fails, a prompt is one log line and never stops guidance.
class VoicePrompter : public QObject
{
    Q_OBJECT
public:
    explicit VoicePrompter(QObject *parent = nullptr);

    void setEnabled(bool on) { m_enabled = on; }
    bool isEnabled() const { return m_enabled; }
    void say(const QString &text);

private:
    bool ensureEngine();

    QTextToSpeech *m_speech = nullptr;
    bool m_enabled = true;
    bool m_failed = false;
};

#endif
