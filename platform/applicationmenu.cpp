#include "applicationmenu.h"

#include "platform/pickselectoraction.h"

#include <QActionGroup>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
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

    window->installEventFilter(this);

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
    buildPanel();
    m_scrim->setGeometry(m_window->rect());
    m_scrim->raise();
    m_scrim->show();
    m_panel->adjustSize();
    const int width = qMin(m_window->width(), qMax(m_panel->sizeHint().width(), m_window->width() * 2 / 3));
    m_panel->resize(width, m_panel->sizeHint().height());
    m_panel->move((m_window->width() - width) / 2, height());
}

void ApplicationMenu::closePanel()
{
    for (const auto &c : m_closers)
        disconnect(c);
    m_closers.clear();
    m_scrim->hide();
    // Deferred: this may run from the clicked() of one of these buttons.
    for (const auto &entry : m_requested) {
        if (entry.second)
            entry.first->releaseWidget(entry.second);
    }
    m_requested.clear();
    for (const auto &w : m_entries) {
        if (w)
            w->deleteLater();
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

bool ApplicationMenu::eventFilter(QObject *watched, QEvent *event)
{
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
