#include "app/filedialog.h"

#include "storage/photoencoding.h"

#include <QDir>
#include <QFileDialog>

FileDialog::FileDialog(QObject *parent)
    : QObject(parent)
{
}

void FileDialog::show()
{
    const QString fileName =
            QFileDialog::getOpenFileName(nullptr, tr("Choose image file"), QDir::homePath(),
                                         tr("Image Files (*.jpeg *.jpg *.png *.gif)"));
    // Told now, rather than the store dropping the picture unseen later.
    if (!fileName.isEmpty() && PhotoEncoding::encodeFile(fileName).isEmpty()) {
        emit pictureRefused(fileName);
        emit fileChosen(QString());
        return;
    }
    emit fileChosen(fileName);
}

void FileDialog::showExport(QString showFile)
{
    const QString fileName = QFileDialog::getSaveFileName(
            nullptr, tr("Export contacts"), QDir::homePath() + QDir::separator() + showFile);
    emit fileChosen(fileName);
}

void FileDialog::showImport()
{
    const QString fileName = QFileDialog::getOpenFileName(
            nullptr, tr("Choose csv, vcard or sqlite file"), QDir::homePath());
    emit fileChosen(fileName);
}
