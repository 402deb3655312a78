#include "app/filedialog.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

// The file-dialog backend with the real modal dialogs, driven from a timer
// while the slot waits for them.
class tst_FileDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cancelEmitsOneEmptyName_data();
    void cancelEmitsOneEmptyName();
    void exportProposesNameInHome();
    void acceptedFileIsReportedOnce();

private:
    // Runs call; when its dialog is up, hands it to inspect (which must close it).
    void withDialog(const std::function<void()> &call,
                    const std::function<void(QFileDialog *)> &inspect);
    QString m_home;
};

namespace {

// Enters a file name as a user would, in the dialog's name field.
void typeFileName(QFileDialog *dialog, const QString &name)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(name);
}

} // namespace

void tst_FileDialog::initTestCase()
{
    m_home = QDir::homePath();
    QFile(m_home + QStringLiteral("/photo.png")).open(QIODevice::WriteOnly);
    QFile(m_home + QStringLiteral("/list.csv")).open(QIODevice::WriteOnly);
}

void tst_FileDialog::withDialog(const std::function<void()> &call,
                                const std::function<void(QFileDialog *)> &inspect)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || seen) {
            return;
        }
        seen = true;
        poll.stop();
        inspect(dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    // A safety net: a dialog that never shows must not hang the test.
    QTimer::singleShot(20000, &poll, [&] {
        if (auto *widget = QApplication::activeModalWidget()) {
            widget->close();
        }
    });
    poll.start();
    call();
    QVERIFY(seen);
}

void tst_FileDialog::cancelEmitsOneEmptyName_data()
{
    QTest::addColumn<int>("slot");
    QTest::newRow("image") << 0;
    QTest::newRow("import") << 1;
    QTest::newRow("export") << 2;
}

void tst_FileDialog::cancelEmitsOneEmptyName()
{
    QFETCH(int, slot);
    FileDialog backend;
    QSignalSpy chosen(&backend, &FileDialog::fileChosen);
    withDialog(
            [&] {
                if (slot == 0) {
                    backend.show();
                } else if (slot == 1) {
                    backend.showImport();
                } else {
                    backend.showExport(QStringLiteral("contacts.csv"));
                }
            },
            [](QFileDialog *dialog) { dialog->reject(); });
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), QString());
}

void tst_FileDialog::exportProposesNameInHome()
{
    FileDialog backend;
    QSignalSpy chosen(&backend, &FileDialog::fileChosen);
    withDialog([&] { backend.showExport(QStringLiteral("contacts.vcf")); },
               [this](QFileDialog *dialog) {
                   QCOMPARE(dialog->windowTitle(), QStringLiteral("Export contacts"));
                   QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
                   QCOMPARE(dialog->directory().absolutePath(), m_home);
                   QCOMPARE(dialog->selectedFiles(),
                            QStringList{m_home + QStringLiteral("/contacts.vcf")});
                   static_cast<QDialog *>(dialog)->accept();
               });
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), m_home + QStringLiteral("/contacts.vcf"));
}

void tst_FileDialog::acceptedFileIsReportedOnce()
{
    FileDialog backend;
    QSignalSpy chosen(&backend, &FileDialog::fileChosen);
    withDialog([&] { backend.show(); },
               [](QFileDialog *dialog) {
                   typeFileName(dialog, QStringLiteral("photo.png"));
                   static_cast<QDialog *>(dialog)->accept();
               });
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), m_home + QStringLiteral("/photo.png"));

    withDialog([&] { backend.showImport(); },
               [](QFileDialog *dialog) {
                   typeFileName(dialog, QStringLiteral("list.csv"));
                   static_cast<QDialog *>(dialog)->accept();
               });
    QCOMPARE(chosen.count(), 2);
    QCOMPARE(chosen.at(1).at(0).toString(), m_home + QStringLiteral("/list.csv"));
}

KIV_TEST_MAIN(tst_FileDialog)
#include "tst_filedialog.moc"
