#ifndef APPLICATIONMENU_H
#define APPLICATIONMENU_H

#include <QList>
#include <QFrame>
#include <QMenuBar>
#include <QMetaObject>
#include <QPointer>

class QAbstractButton;
class QGridLayout;
class QKeyEvent;
class QToolButton;
class QWidgetAction;

// The window's application menu as the handheld shows it. The window's code
// adds its entries to the menu bar as usual; the bar itself shows only a menu
// button, which opens a panel over the window: an exclusive group as a row of
// filter buttons, other entries as buttons (checkable ones toggle) and widget
// actions as the widgets they create. Qt's own bar would not show those.
// F10 or the Menu key opens the panel with the focus on its first entry; the
// arrows move between entries, Return chooses one and Escape closes it.
class ApplicationMenu : public QMenuBar
{
    Q_OBJECT
public:
    explicit ApplicationMenu(QWidget *window);
    ~ApplicationMenu();

    QToolButton *menuButton() const { return m_button; }
    QWidget *panel() const { return m_panel; }
    bool isPanelOpen() const;

public slots:
    void openPanel();
    void closePanel();
    void togglePanelFromKeyboard();

protected:
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void markFocus(QWidget *now);
    void buildPanel();
    void addButton(QAction *action, QGridLayout *grid, int &row, int &column);
    void updateTitle();
    QList<QAbstractButton *> keyboardEntries() const;
    bool panelKeyPress(QAbstractButton *entry, QKeyEvent *event);
    void moveFocus(QAbstractButton *from, int key);

    QWidget *m_window;
    QToolButton *m_button = nullptr;
    QToolButton *m_extension = nullptr;
    QWidget *m_scrim = nullptr;
    QFrame *m_panel = nullptr;
    QList<QPointer<QWidget>> m_entries;
    QList<QPair<QWidgetAction *, QPointer<QWidget>>> m_requested;
    QList<QMetaObject::Connection> m_closers;
    QPointer<QWidget> m_focusBefore;
    QFrame *m_focusMark = nullptr;   // drawn around the entry with the focus
};

#endif
