#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// Answers modal message boxes from a timer while the code under test runs their
// nested event loop. Records the title and text of each box it answered.
class ModalAnswerer : public QObject
{
    Q_OBJECT
public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer, QObject *parent = nullptr);

    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }
    // Runs once per box, before the answer is given.
    void setBeforeAnswer(std::function<void()> hook) { m_beforeAnswer = std::move(hook); }
    int answered() const { return m_answered; }
    QString lastTitle() const { return m_lastTitle; }
    QString lastText() const { return m_lastText; }
    Qt::TextFormat lastTextFormat() const { return m_lastTextFormat; }
    QMessageBox::StandardButton lastDefault() const { return m_lastDefault; }

private:
    void poll();

    QTimer m_timer;
    std::function<void()> m_beforeAnswer;
    QMessageBox::StandardButton m_answer;
    QMessageBox::StandardButton m_lastDefault = QMessageBox::NoButton;
    int m_answered = 0;
    QString m_lastTitle;
    QString m_lastText;
    Qt::TextFormat m_lastTextFormat = Qt::AutoText;
};

#endif
