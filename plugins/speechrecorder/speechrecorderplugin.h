#ifndef SPEECHRECORDERPLUGIN_H
#define SPEECHRECORDERPLUGIN_H

#include <QObject>
#include <QTextToSpeechPlugin>

// A text-to-speech engine that speaks nothing: it appends each text it is
// given, with the time, to the file named by MARLU_SPEECH_LOG. The tests and
// the benchmark hear guidance through it.
class SpeechRecorderPlugin : public QObject, public QTextToSpeechPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.qt.speech.tts.plugin/5.0" FILE "speechrecorder.json")
    Q_INTERFACES(QTextToSpeechPlugin)
public:
    QTextToSpeechEngine *createTextToSpeechEngine(const QVariantMap &parameters, QObject *parent,
                                                  QString *errorString) const override;
};

#endif
