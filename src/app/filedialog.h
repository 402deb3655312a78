#pragma once

#include <QObject>
#include <QString>

// Opens the toolkit's modal file dialogs for the scenes (scene type
// "FileDialog"). Every call reports its outcome through fileChosen exactly
// once: the absolute path of the chosen file, or empty text on cancel.
// A picture that cannot become a contact photo (damaged, too large, of a
// kind no image plug-in reads) is refused: pictureRefused, then fileChosen
// with empty text.
class FileDialog : public QObject
{
    Q_OBJECT

public:
    explicit FileDialog(QObject *parent = nullptr);

signals:
    void fileChosen(QString fileName);
    void pictureRefused(QString fileName);

public slots:
    // Chooses an image file for a contact photo.
    void show();
    // Chooses the target of an export; showFile is the proposed file name in
    // the home directory.
    void showExport(QString showFile);
    // Chooses a file to import.
    void showImport();
};
