#include "speechrecorderengine.h"

#include <QDateTime>

SpeechRecorderEngine::SpeechRecorderEngine(const QString &fileName, QObject *parent)
    : QTextToSpeechEngine(parent)
    , m_file(fileName)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        m_state = QTextToSpeech::BackendError;
}

QVector<QLocale> SpeechRecorderEngine::availableLocales() const
{
    return {QLocale(QLocale::English), QLocale(QLocale::Finnish), QLocale(QLocale::German)};
}

QVector<QVoice> SpeechRecorderEngine::availableVoices() const
{
    return {};
}

bool SpeechRecorderEngine::setLocale(const QLocale &locale)
{
    m_locale = locale;
    return true;
}

void SpeechRecorderEngine::say(const QString &text)
{
    m_file.write(QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + '\t'
                 + text.simplified().toUtf8() + '\n');
    m_file.flush();
}
