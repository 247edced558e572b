#include "voiceprompter.h"

#include <QDebug>
#include <QLocale>
#include <QTextToSpeech>

VoicePrompter::VoicePrompter(QObject *parent)
    : QObject(parent)
{
}

bool VoicePrompter::ensureEngine()
{
    if (m_speech)
        return m_speech->state() != QTextToSpeech::BackendError;
    if (m_failed)
        return false;
    const QStringList engines = QTextToSpeech::availableEngines();
    QString engine = qEnvironmentVariable("MARLU_SPEECH_ENGINE");
    if (engine.isEmpty()) {
        for (const char *preferred : {"speechd", "flite"}) {
            if (engines.contains(preferred)) {
                engine = preferred;
                break;
            }
        }
        if (engine.isEmpty() && !engines.isEmpty())
            engine = engines.first();
    }
    if (engine.isEmpty() || !engines.contains(engine)) {
        m_failed = true;
        qWarning() << "VoicePrompter: no speech engine; guidance is shown, not spoken";
        return false;
    }
    m_speech = new QTextToSpeech(engine, this);
    if (m_speech->state() == QTextToSpeech::BackendError) {
        qWarning().nospace() << "VoicePrompter: the speech engine " << engine
                             << " does not work; guidance is shown, not spoken";
        return false;
    }
    // The prompts are in the interface language; the engine's voice follows
    // where it has one.
    const QLocale locale;
    for (const QLocale &offered : m_speech->availableLocales()) {
        if (offered.language() == locale.language()) {
            m_speech->setLocale(offered);
            break;
        }
    }
    qDebug().nospace() << "VoicePrompter: speaking through " << engine;
    return true;
}

void VoicePrompter::say(const QString &text)
{
    qDebug().nospace().noquote() << "Guidance prompt: " << text;
    if (!m_enabled || !ensureEngine())
        return;
    // A new prompt is more urgent than the rest of an old one.
    m_speech->say(text);
}
