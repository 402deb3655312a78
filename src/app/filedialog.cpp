#include "app/filedialog.h"

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
