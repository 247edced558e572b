#include "tracksdlg.h"

#include "directions/tripfigures.h"
#include "text/plainmessage.h"
#include "tracks/gpxreader.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVBoxLayout>

TracksDlg::TracksDlg(const QString &folder, QWidget *parent)
    : QDialog(parent)
    , m_folder(folder)
{
    setWindowTitle(tr("Tracks"));
    auto *layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setObjectName("tracksList");
    layout->addWidget(m_list, 1);
    auto *buttons = new QHBoxLayout;
    m_showBtt = new QPushButton(tr("Show on Map"), this);
    m_exportBtt = new QPushButton(tr("Export..."), this);
    m_renameBtt = new QPushButton(tr("Rename"), this);
    m_deleteBtt = new QPushButton(tr("Delete"), this);
    m_showBtt->setObjectName("showBtt");
    m_exportBtt->setObjectName("exportBtt");
    m_renameBtt->setObjectName("renameBtt");
    m_deleteBtt->setObjectName("deleteBtt");
    for (QPushButton *button : {m_showBtt, m_exportBtt, m_renameBtt, m_deleteBtt}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(m_list, &QListWidget::currentRowChanged, this, &TracksDlg::updateButtons);
    auto show = [this] {
        m_chosenFile = selectedFile();
        if (!m_chosenFile.isEmpty())
            accept();
    };
    connect(m_list, &QListWidget::itemDoubleClicked, this, show);
    connect(m_showBtt, &QPushButton::clicked, this, show);
    connect(m_exportBtt, &QPushButton::clicked, this, &TracksDlg::onExport);
    connect(m_renameBtt, &QPushButton::clicked, this, &TracksDlg::onRename);
    connect(m_deleteBtt, &QPushButton::clicked, this, &TracksDlg::onDelete);
    fill();
}

void TracksDlg::fill()
{
    m_list->clear();
    const QFileInfoList files = QDir(m_folder).entryInfoList({"*.gpx"}, QDir::Files, QDir::Time);
    for (const QFileInfo &file : files) {
        GpxData data;
        GpxReader reader;
        QString second;
        if (!reader.read(file.absoluteFilePath(), &data)) {
            second = reader.error();
        } else {
            double metres = 0;
            qint64 seconds = 0;
            // When the track began, as its first timed point says; else when the file was written.
            QDateTime began;
            for (const GpxLine &line : data.tracks) {
                metres += line.length();
                seconds += line.duration();
                for (const GpxPoint &point : line.points) {
                    if (point.time.isValid() && (!began.isValid() || point.time < began))
                        began = point.time;
                }
            }
            QStringList parts;
            parts << QLocale().toString((began.isValid() ? began : file.lastModified()).toLocalTime(),
                                        QLocale::ShortFormat)
                  << TripFigures::distance(qint64(metres)) << TripFigures::duration(seconds);
            if (seconds > 0)
                parts << tr("%1 km/h").arg(QLocale().toString(metres / seconds * 3.6, 'f', 1));
            second = parts.join(QString::fromUtf8(" · "));
        }
        auto *item = new QListWidgetItem(file.completeBaseName() + "\n" + second, m_list);
        item->setData(Qt::UserRole, file.absoluteFilePath());
    }
    if (m_list->count() == 0) {
        auto *item = new QListWidgetItem(tr("No tracks recorded yet: switch on \"Record Track\" in the menu."), m_list);
        item->setFlags(Qt::NoItemFlags);
    } else {
        m_list->setCurrentRow(0);
    }
    updateButtons();
}

QString TracksDlg::selectedFile() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void TracksDlg::updateButtons()
{
    const bool chosen = !selectedFile().isEmpty();
    for (QPushButton *button : {m_showBtt, m_exportBtt, m_renameBtt, m_deleteBtt})
        button->setEnabled(chosen);
}

void TracksDlg::onExport()
{
    const QString file = selectedFile();
    if (file.isEmpty())
        return;
    const QString target = QFileDialog::getSaveFileName(
        this, tr("Export Track"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/" + QFileInfo(file).fileName(),
        tr("GPX files (*.gpx)"));
    if (target.isEmpty() || QFileInfo(target).absoluteFilePath() == file)
        return;
    // A copy never replaces the track, and replaces another file only when the user said so.
    if (QFile::exists(target) && !QFile::remove(target)) {
        PlainMessage::warning(this, tr("Export Track"), tr("%1 could not be replaced.").arg(target));
        return;
    }
    if (!QFile::copy(file, target))
        PlainMessage::warning(this, tr("Export Track"), tr("The track could not be copied to %1.").arg(target));
}

void TracksDlg::onRename()
{
    const QString file = selectedFile();
    if (file.isEmpty())
        return;
    bool ok = false;
    const QString typed = QInputDialog::getText(this, tr("Rename"), tr("Name"), QLineEdit::Normal,
                                                QFileInfo(file).completeBaseName(), &ok);
    // The name becomes a file name in the tracks folder, and nothing else.
    QString name = typed.simplified();
    name.replace(QRegularExpression("[/\\\\:*?\"<>|\\x{00}-\\x{1f}]"), "_");
    if (!ok || name.isEmpty() || name.startsWith('.'))
        return;
    const QString target = m_folder + "/" + name.left(100) + ".gpx";
    if (QFile::exists(target) || !QFile::rename(file, target))
        PlainMessage::warning(this, tr("Rename"), tr("There is a track named so already, or the name cannot be used."));
    fill();
}

void TracksDlg::onDelete()
{
    const QString file = selectedFile();
    if (file.isEmpty())
        return;
    if (PlainMessage::question(this, tr("Tracks"), tr("Delete the track %1?").arg(QFileInfo(file).completeBaseName()),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!QFile::remove(file))
        PlainMessage::warning(this, tr("Tracks"), tr("The track could not be deleted."));
    fill();
}
