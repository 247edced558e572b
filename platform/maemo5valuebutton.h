#ifndef MAEMO5VALUEBUTTON_H
#define MAEMO5VALUEBUTTON_H

#include <QPushButton>
#include <QString>

class Maemo5ListPickSelector;

// Desktop stand-in for the handheld's value button: a button that shows a
// title with the current value of its picker, and opens the picker when tapped.
class Maemo5ValueButton : public QPushButton
{
    Q_OBJECT
public:
    enum ValueLayout { ValueBesideText, ValueUnderText, ValueUnderTextCentered };

    explicit Maemo5ValueButton(const QString &text, QWidget *parent = nullptr);

    void setValueLayout(ValueLayout layout);
    ValueLayout valueLayout() const { return m_layout; }
    void setPickSelector(Maemo5ListPickSelector *selector);
    Maemo5ListPickSelector *pickSelector() const { return m_selector; }
    QString valueText() const;

private:
    void openPicker();
    void refresh();

    QString m_title;
    ValueLayout m_layout = ValueBesideText;
    Maemo5ListPickSelector *m_selector = nullptr;
};

#endif
