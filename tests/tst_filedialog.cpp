#include "app/filedialog.h"

#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QSignalSpy>
#include <QTimer>

// The real modal file dialogs, answered from a timer: each answer reported once.
class tst_FileDialog : public QObject
{
    Q_OBJECT

private slots:
    void reportsAnswerOnce_data();
    void reportsAnswerOnce();
};

void tst_FileDialog::reportsAnswerOnce_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("accept");
    addRowsFromFile(TEST_DATA_DIR "/app/file-dialogs.jsonl", "IT");
}

void tst_FileDialog::reportsAnswerOnce()
{
    QFETCH(int, slot);
    QFETCH(bool, accept);
    const QString proposed = QDir::homePath() + QStringLiteral("/contacts.vcf");
    FileDialog backend;
    QSignalSpy chosen(&backend, &FileDialog::fileChosen);
    bool seen = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || seen)
            return;
        seen = true;
        if (slot == 2) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Export contacts"));
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            QCOMPARE(dialog->selectedFiles(), QStringList{proposed});
        }
        accept ? static_cast<QDialog *>(dialog)->accept() : dialog->reject();
    });
    poll.start(20);
    // A safety net: a dialog that never shows or closes must not hang the test.
    QTimer::singleShot(20000, &poll, [] {
        if (QWidget *widget = QApplication::activeModalWidget())
            widget->close();
    });
    slot == 0   ? backend.show()
    : slot == 1 ? backend.showImport()
                : backend.showExport("contacts.vcf");
    QVERIFY(seen);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), accept ? proposed : QString());
}

KIV_TEST_MAIN(tst_FileDialog)
#include "tst_filedialog.moc"
