#include "applicationmenu.h"

#include "platform/pickselectoraction.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace {
const int Columns = 2;
}

ApplicationMenu::ApplicationMenu(QWidget *window)
    : QMenuBar(window)
    , m_window(window)
{
    setNativeMenuBar(false);
    setObjectName("applicationMenu");

    m_button = new QToolButton(this);
    m_button->setObjectName("applicationMenuButton");
    m_button->setAutoRaise(true);
    m_button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // A touch control: keyboard focus here would take the window's arrow keys.
    m_button->setFocusPolicy(Qt::NoFocus);
    connect(m_button, &QToolButton::clicked, this, [this] {
        if (isPanelOpen())
            closePanel();
        else
            openPanel();
    });
    connect(window, &QWidget::windowTitleChanged, this, &ApplicationMenu::updateTitle);
    updateTitle();

    // The rest of the window dims behind the panel; a tap there closes it.
    m_scrim = new QWidget(window);
    m_scrim->setObjectName("applicationMenuScrim");
    m_scrim->setAttribute(Qt::WA_StyledBackground);
    m_scrim->setStyleSheet("#applicationMenuScrim { background: rgba(0, 0, 0, 96); }");
    m_scrim->installEventFilter(this);
    m_scrim->hide();

    m_panel = new QFrame(m_scrim);
    m_panel->setObjectName("applicationMenuPanel");
    m_panel->setFrameShape(QFrame::StyledPanel);
    m_panel->setAutoFillBackground(true);
    new QVBoxLayout(m_panel);

    // The style's thin focus line is lost at arm's length on the handheld.
    m_focusMark = new QFrame(m_panel);
    m_focusMark->setObjectName("applicationMenuFocus");
    m_focusMark->setStyleSheet("#applicationMenuFocus { border: 3px solid #0a5fd6; border-radius: 5px;"
                               " background: transparent; }");
    m_focusMark->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_focusMark->hide();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { markFocus(now); });

    window->installEventFilter(this);

    for (const QKeySequence &keys : {QKeySequence(Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
        auto *shortcut = new QShortcut(keys, window);
        connect(shortcut, &QShortcut::activated, this, &ApplicationMenu::togglePanelFromKeyboard);
    }

    // Qt's bar offers the entries that do not fit through an extension
    // button; here they are all in the panel.
    m_extension = findChild<QToolButton *>("qt_menubar_ext_button");
    if (m_extension)
        m_extension->installEventFilter(this);
}

ApplicationMenu::~ApplicationMenu() = default;

bool ApplicationMenu::isPanelOpen() const
{
    return m_scrim->isVisible();
}

void ApplicationMenu::updateTitle()
{
    const QString title = m_window->windowTitle();
    m_button->setText((title.isEmpty() ? tr("Menu") : title) + QString::fromUtf8(" \u25BE"));
    m_button->adjustSize();
    updateGeometry();
}

void ApplicationMenu::openPanel()
{
    if (isPanelOpen())
        return;
    QWidget *focus = QApplication::focusWidget();
    m_focusBefore = (focus && m_window->isAncestorOf(focus)) ? focus : nullptr;
    buildPanel();
    for (QAbstractButton *entry : keyboardEntries())
        entry->installEventFilter(this);
    m_scrim->setGeometry(m_window->rect());
    m_scrim->raise();
    m_scrim->show();
    m_panel->adjustSize();
    const int width = qMin(m_window->width(), qMax(m_panel->sizeHint().width(), m_window->width() * 2 / 3));
    m_panel->resize(width, m_panel->sizeHint().height());
    m_panel->move((m_window->width() - width) / 2, height());
    // However it was opened, the keys work in it at once: Escape closes it,
    // the arrows move from the first entry.
    const QList<QAbstractButton *> entries = keyboardEntries();
    if (!entries.isEmpty()) {
        entries.first()->setFocus(Qt::ShortcutFocusReason);
        markFocus(entries.first());
    }
}

void ApplicationMenu::togglePanelFromKeyboard()
{
    if (isPanelOpen())
        closePanel();
    else
        openPanel();
}

void ApplicationMenu::markFocus(QWidget *now)
{
    auto *entry = qobject_cast<QAbstractButton *>(now);
    if (!entry || !isPanelOpen() || !m_panel->isAncestorOf(entry)) {
        m_focusMark->hide();
        return;
    }
    const QRect at(entry->mapTo(m_panel, QPoint(0, 0)), entry->size());
    m_focusMark->setGeometry(at.adjusted(-3, -3, 3, 3));
    m_focusMark->raise();
    m_focusMark->show();
}

void ApplicationMenu::closePanel()
{
    for (const auto &c : m_closers)
        disconnect(c);
    m_closers.clear();
    const bool hadFocus = m_scrim->isAncestorOf(QApplication::focusWidget());
    m_scrim->hide();
    m_focusMark->hide();
    // The focus goes back where it was; none before means none now, so that
    // the window's own keys reach it again.
    if (hadFocus) {
        if (m_focusBefore && m_focusBefore->isVisible())
            m_focusBefore->setFocus(Qt::PopupFocusReason);
        else if (QWidget *now = QApplication::focusWidget())
            now->clearFocus();
    }
    m_focusBefore = nullptr;
    // Deferred: this may run from the clicked() of one of these buttons.
    for (const auto &entry : m_requested) {
        if (entry.second)
            entry.first->releaseWidget(entry.second);
    }
    m_requested.clear();
    // Hidden at once: a panel reopened before they are deleted must not show them.
    for (const auto &w : m_entries) {
        if (w) {
            w->hide();
            w->deleteLater();
        }
    }
    m_entries.clear();
    delete m_panel->layout();
    new QVBoxLayout(m_panel);
}

void ApplicationMenu::buildPanel()
{
    auto *layout = static_cast<QVBoxLayout *>(m_panel->layout());
    QHBoxLayout *filters = nullptr;
    QActionGroup *filterGroup = nullptr;
    QGridLayout *grid = nullptr;
    int row = 0;
    int column = 0;

    for (QAction *action : actions()) {
        if (!action->isVisible() || action->isSeparator())
            continue;
        QActionGroup *group = action->actionGroup();
        if (group && group->isExclusive()) {
            if (!filters || group != filterGroup) {
                auto *frame = new QWidget(m_panel);
                m_entries << frame;
                filters = new QHBoxLayout(frame);
                filters->setContentsMargins(0, 0, 0, 0);
                filterGroup = group;
                layout->addWidget(frame);
                grid = nullptr;
            }
            auto *button = new QToolButton(m_panel);
            button->setDefaultAction(action);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            m_entries << button;
            filters->addWidget(button);
            m_closers << connect(action, &QAction::triggered, this, &ApplicationMenu::closePanel);
            continue;
        }
        filters = nullptr;
        if (!grid) {
            auto *frame = new QWidget(m_panel);
            m_entries << frame;
            grid = new QGridLayout(frame);
            grid->setContentsMargins(0, 0, 0, 0);
            layout->addWidget(frame);
            row = column = 0;
        }
        addButton(action, grid, row, column);
    }
}

void ApplicationMenu::addButton(QAction *action, QGridLayout *grid, int &row, int &column)
{
    QWidget *widget = nullptr;
    if (auto *widgetAction = qobject_cast<QWidgetAction *>(action)) {
        widget = widgetAction->requestWidget(grid->parentWidget());
        if (!widget)
            return;
        m_requested << qMakePair(widgetAction, QPointer<QWidget>(widget));
        if (auto *picker = qobject_cast<PickSelectorAction *>(action))
            m_closers << connect(picker, &PickSelectorAction::selectionChanged, this, &ApplicationMenu::closePanel);
    } else {
        auto *button = new QToolButton(grid->parentWidget());
        button->setDefaultAction(action);
        m_entries << button;
        m_closers << connect(action, &QAction::triggered, this, &ApplicationMenu::closePanel);
        widget = button;
    }
    widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    widget->setMinimumHeight(48);
    grid->addWidget(widget, row, column);
    if (++column == Columns) {
        column = 0;
        ++row;
    }
}

QSize ApplicationMenu::sizeHint() const
{
    return m_button->sizeHint();
}

QSize ApplicationMenu::minimumSizeHint() const
{
    return m_button->sizeHint();
}

int ApplicationMenu::heightForWidth(int) const
{
    return m_button->sizeHint().height();
}

void ApplicationMenu::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
}

// Qt's own bar would open its items on these; here only the menu button acts.
void ApplicationMenu::mousePressEvent(QMouseEvent *event)
{
    event->ignore();
}

void ApplicationMenu::mouseReleaseEvent(QMouseEvent *event)
{
    event->ignore();
}

void ApplicationMenu::mouseMoveEvent(QMouseEvent *event)
{
    event->ignore();
}

void ApplicationMenu::keyPressEvent(QKeyEvent *event)
{
    QWidget::keyPressEvent(event);
}

void ApplicationMenu::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_button->setGeometry(0, 0, m_button->sizeHint().width(), height());
}

QList<QAbstractButton *> ApplicationMenu::keyboardEntries() const
{
    QList<QAbstractButton *> entries;
    for (QAbstractButton *button : m_panel->findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(m_panel) && button->isEnabled())
            entries << button;
    }
    return entries;
}

bool ApplicationMenu::panelKeyPress(QAbstractButton *entry, QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        closePanel();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        entry->click();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Never passed on: the window would pan the map behind the panel.
        moveFocus(entry, event->key());
        return true;
    default:
        return false;
    }
}

// To the entry the arrow points at: the nearest one in the same row (or
// column) ahead; only where none lines up, the nearest ahead to the side.
void ApplicationMenu::moveFocus(QAbstractButton *from, int key)
{
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
    const int sign = (key == Qt::Key_Down || key == Qt::Key_Right) ? 1 : -1;
    const QRect here(from->mapTo(m_panel, QPoint(0, 0)), from->size());
    QAbstractButton *best = nullptr;
    bool bestInLine = false;
    int bestScore = 0;
    for (QAbstractButton *entry : keyboardEntries()) {
        const QRect there(entry->mapTo(m_panel, QPoint(0, 0)), entry->size());
        const QPoint d = there.center() - here.center();
        const int ahead = sign * (vertical ? d.y() : d.x());
        const int aside = qAbs(vertical ? d.x() : d.y());
        if (entry == from || ahead <= 0)
            continue;
        const bool inLine = vertical ? (there.left() <= here.right() && there.right() >= here.left())
                                     : (there.top() <= here.bottom() && there.bottom() >= here.top());
        const int score = inLine ? ahead * 4 + aside : ahead + 2 * aside;
        if (!best || (inLine && !bestInLine) || (inLine == bestInLine && score < bestScore)) {
            best = entry;
            bestInLine = inLine;
            bestScore = score;
        }
    }
    if (best)
        best->setFocus(Qt::TabFocusReason);
}

bool ApplicationMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isPanelOpen()) {
        auto *entry = qobject_cast<QAbstractButton *>(watched);
        if (entry && m_panel->isAncestorOf(entry) && panelKeyPress(entry, static_cast<QKeyEvent *>(event)))
            return true;
    }
    if (watched == m_extension && event->type() == QEvent::Show) {
        m_extension->hide();
        return false;
    }
    if (watched == m_scrim && event->type() == QEvent::MouseButtonPress) {
        closePanel();
        return true;
    }
    if (watched == m_window && event->type() == QEvent::Resize && isPanelOpen())
        m_scrim->setGeometry(m_window->rect());
    return QMenuBar::eventFilter(watched, event);
}
