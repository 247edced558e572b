#include "speechrecorderplugin.h"

#include "speechrecorderengine.h"

QTextToSpeechEngine *SpeechRecorderPlugin::createTextToSpeechEngine(const QVariantMap &, QObject *parent,
                                                                    QString *errorString) const
{
    const QString file = qEnvironmentVariable("MARLU_SPEECH_LOG");
    if (file.isEmpty()) {
        if (errorString)
            *errorString = QStringLiteral("MARLU_SPEECH_LOG names no file");
        return nullptr;
    }
    return new SpeechRecorderEngine(file, parent);
}
