// Moving the map without the menu: pan arrows, keys, dragging, and the layout
// that keeps the view, the overlay and the arrows fitted to the window.
#include "mainwindow.h"

#include "ui_mainwindow.h"

#include "app/toolbutton.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QWebView>

int MainWindow::s_hideButtonsDelayMs = 5000;

void MainWindow::setHideButtonsDelay(int ms)
{
    s_hideButtonsDelayMs = ms;
}

void MainWindow::createPanButtons()
{
    m_westButton = new ToolButton(QIcon(":/images/west.png"), 0, this);
    m_northButton = new ToolButton(QIcon(":/images/north.png"), 0, this);
    m_eastButton = new ToolButton(QIcon(":/images/east.png"), 0, this);
    m_southButton = new ToolButton(QIcon(":/images/south.png"), 0, this);

    connect(m_westButton, &QToolButton::clicked, this, &MainWindow::onWest);
    connect(m_northButton, &QToolButton::clicked, this, &MainWindow::onNorth);
    connect(m_eastButton, &QToolButton::clicked, this, &MainWindow::onEast);
    connect(m_southButton, &QToolButton::clicked, this, &MainWindow::onSouth);

    m_westButton->setVisible(false);
    m_northButton->setVisible(false);
    m_eastButton->setVisible(false);
    m_southButton->setVisible(false);
}

void MainWindow::onClick(QMouseEvent *pEvent)
{
    Q_UNUSED(pEvent);
    if (m_westButton && m_westButton->isHidden())
        m_hideButtonsCount = 0;
    for (ToolButton *button : {m_westButton, m_northButton, m_eastButton, m_southButton}) {
        if (button)
            button->setVisible(true);
    }
    placeBanner();
    incrementTimer();
}

void MainWindow::incrementTimer()
{
    ++m_hideButtonsCount;
    QTimer::singleShot(s_hideButtonsDelayMs, this, &MainWindow::onHideButtons);
}

void MainWindow::onHideButtons()
{
    --m_hideButtonsCount;
    if (m_hideButtonsCount != 0)
        return;
    for (ToolButton *button : {m_westButton, m_northButton, m_eastButton, m_southButton}) {
        if (button)
            button->setVisible(false);
    }
    showFullScreen();
    placeBanner();
}

void MainWindow::onWest()
{
    incrementTimer();
    m_centerOnPosition = false;
    runJavascript(QString("map.panBy(%1,0);").arg(-(ui->webView->width() / 2)));
}

void MainWindow::onEast()
{
    incrementTimer();
    m_centerOnPosition = false;
    runJavascript(QString("map.panBy(%1,0);").arg(ui->webView->width() / 2));
}

void MainWindow::onNorth()
{
    incrementTimer();
    m_centerOnPosition = false;
    runJavascript(QString("map.panBy(0,%1);").arg(-(ui->webView->height() / 2)));
}

void MainWindow::onSouth()
{
    incrementTimer();
    m_centerOnPosition = false;
    runJavascript(QString("map.panBy(0,%1);").arg(ui->webView->height() / 2));
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers commandKeys = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    // Ctrl+Q on every platform, not only where the desktop's own scheme has it.
    if (key == Qt::Key_Q && (event->modifiers() & commandKeys) == Qt::ControlModifier) {
        close();
        return;
    }
    // With Control, Alt or Meta held a letter belongs to a command (Ctrl+F
    // finds an address), never to the plain key's meaning.
    if (key == Qt::Key_F && (event->modifiers() & commandKeys)) {
        event->ignore();
        return;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        pauseDriveView();
        runJavascript(QString("map.setZoom(%1);").arg(2 * (key - Qt::Key_0)));
        return;
    }
    switch (key) {
    case Qt::Key_F:
        onFullscreen();
        break;
    // The desktop's ways out of fullscreen; F11 also goes in. Escape first cancels
    // a directions request that the busy bar shows running.
    case Qt::Key_Escape:
        if (cancelDirectionsRequest())
            break;
        if (isFullScreen())
            showNormal();
        break;
    case Qt::Key_F11:
        if (isFullScreen())
            showNormal();
        else
            onFullscreen();
        break;
    case Qt::Key_Enter:
        m_centerOnPosition = true;
        onPositionUpdated();
        break;
    case Qt::Key_Left:
        onWest();
        break;
    case Qt::Key_Up:
        onNorth();
        break;
    case Qt::Key_Right:
        onEast();
        break;
    case Qt::Key_Down:
        onSouth();
        break;
    case Qt::Key_F7:
        pauseDriveView();
        runJavascript("map.setZoom(map.getZoom()+1);");
        break;
    case Qt::Key_F8:
        pauseDriveView();
        runJavascript("map.setZoom(map.getZoom()-1);");
        break;
    default:
        break;
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    const int x = event->pos().x();
    const int y = event->pos().y();
    if (m_lastMouseX != 0 && m_lastMouseY != 0) {
        m_centerOnPosition = false;
        runJavascript(QString("map.panBy(%1,%2);").arg(m_lastMouseX - x).arg(m_lastMouseY - y));
    }
    m_lastMouseX = x;
    m_lastMouseY = y;
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    m_lastMouseX = 0;
    m_lastMouseY = 0;
}

void MainWindow::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);

    // The menu bar takes the top of the window on a desktop; the view fills
    // the rest, which is the whole window on the handheld.
    ui->webView->setGeometry(0, 0, centralWidget()->width(), centralWidget()->height());
    if (m_overlay)
        m_overlay->setGeometry(QRect(ui->webView->mapTo(this, QPoint(0, 0)), ui->webView->size()));
    placeBanner();

    const int W = e->size().width();
    const int H = e->size().height();
    if (m_westButton)
        m_westButton->move(0, (H - m_westButton->height()) / 2);
    if (m_northButton)
        m_northButton->move((W - m_northButton->width()) / 2, 0);
    if (m_eastButton)
        m_eastButton->move(W - m_eastButton->width(), (H - m_eastButton->height()) / 2);
    if (m_southButton)
        m_southButton->move((W - m_southButton->width()) / 2, H - m_southButton->height());
}
