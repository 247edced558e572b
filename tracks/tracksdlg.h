#ifndef TRACKSDLG_H
#define TRACKSDLG_H

#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;

// "Tracks": the recorded tracks, newest first, with their date, length,
// duration and average speed, and what can be done with one.
class TracksDlg : public QDialog
{
    Q_OBJECT
public:
    TracksDlg(const QString &folder, QWidget *parent = nullptr);

    // After exec() returned Accepted: the file to show on the map.
    QString m_chosenFile;

private:
    void fill();
    QString selectedFile() const;
    void updateButtons();
    void onExport();
    void onRename();
    void onDelete();

    QString m_folder;
    QListWidget *m_list = nullptr;
    QPushButton *m_showBtt = nullptr;
    QPushButton *m_exportBtt = nullptr;
    QPushButton *m_renameBtt = nullptr;
    QPushButton *m_deleteBtt = nullptr;
};

#endif
