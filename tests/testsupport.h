#pragma once

#include "importexport/parsedfile.h"

#include <QFile>
#include <QJsonObject>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class Contact;
class ContactsModel;
class ContactsProxyModel;
class DataBase;

// Shared helpers of the test programs: temporary homes, contact builders,
// file writers, parsed-record owners, message recorders and a signal log.

// Points HOME and the XDG paths into a temporary directory before the
// application object exists, so that no test touches the real user's files.
class TestHome
{
public:
    TestHome();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

#define KIV_TEST_MAIN_WITH(TestObject, AppClass) \
    int main(int argc, char *argv[]) \
    { \
        TestHome home; \
        AppClass app(argc, argv); \
        app.setOrganizationName(QStringLiteral("kiv")); \
        app.setApplicationName(QStringLiteral("Contacts")); \
        TestObject tc; \
        QTEST_SET_MAIN_SOURCE_PATH \
        return QTest::qExec(&tc, argc, argv); \
    }

// Plain objects (images and fonts need no more than a QGuiApplication).
#define KIV_TEST_GUILESS_MAIN(TestObject) KIV_TEST_MAIN_WITH(TestObject, QGuiApplication)
// Windows, dialogs and scenes.
#define KIV_TEST_MAIN(TestObject) KIV_TEST_MAIN_WITH(TestObject, QApplication)

using ContactPtr = std::unique_ptr<Contact>;

// A record with an id and a name; "Surname Name" fills both parts.
ContactPtr makeContact(const QString &id, const QString &surnameAndName);
// Records from "Surname Name|Other Name*" (a star marks a favourite); ids 1, 2, ...
std::vector<ContactPtr> makeContacts(const QString &compact);
// "Surname Name*,org=Acme,email=a@acme.com,phone=+49 171 2": a record with
// these fields ("*": starred), no id.
ContactPtr compactContact(const QString &compact);
// The steps of the list model's and the view's tests, "command:argument"
// joined by ";", on the model and, when there is one, through the view:
//   add:CONTACT (compactContact; through the view's editor record),
//   edit:ROW=SURNAME NAME (or SURNAME|NAME), star:ROW, photo:ROW,
//   remove:ROWS (joined by ","), and for the view sort, search:TEXT, fav,
//   all, current:ROW, role:ROLE, property:ROLE (the property write).
// ROW is a view row when there is a view, else a model row, where "o"
// names a row of another model and "n" none.
void runListSteps(ContactsModel &model, ContactsProxyModel *view, const QString &steps);
// The record as JSON with only its non-empty fields, as the expectation files
// write it: lists as "value / label", a photo as its image size "WxH".
QJsonObject contactJson(const Contact *contact);
// The inverse: a record from such JSON (id "1" unless the JSON names one).
ContactPtr contactFromJson(const QByteArray &json);
// The same, compact, with sorted keys (a row of a data-driven test).
QString contactText(const Contact *contact);

// Writes the bytes; returns the path, empty on failure.
QString writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// The content lines of a card, unfolded, without their line ends, from
// BEGIN to END; the cards of other programs that must survive whole.
QStringList cardLines(const QByteArray &card);
QStringList keptCardFiles();
// The first card of a file in tests/data/vcard.
QByteArray firstCard(const QString &name);
// An image of one colour in the given format, as bytes or as a file.
QByteArray imageBytes(QSize size, const char *format = "PNG",
                      Qt::GlobalColor colour = Qt::darkCyan);
QString writeImage(const QString &dir, QSize size, const char *format = "PNG");

// Parses the file and imports it into the book as the main scene does;
// tickAll also ticks the contacts already there. The contacts the import
// ran for (-1: none ticked); labels, when given, gets the imported labels.
int importAsScene(const QString &file, ContactsModel *model, DataBase *store, bool tickAll,
                  QStringList *labels = nullptr);

// Adds the rows of a data-driven test from a file of JSON arrays, one a line:
// ["tag", "first column", ...]; lines that are no array are comments. `types`
// names each column's type: S QString (the default), B QByteArray (UTF-8, or
// {"latin1": "..."} for other bytes), I int, T bool.
void addRowsFromFile(const QString &path, const char *types = "");

// Takes over the records of a parse and releases them.
class Parsed
{
public:
    explicit Parsed(ParsedFile file);
    explicit Parsed(const QList<Contact *> &contacts);
    ~Parsed();
    Parsed(const Parsed &) = delete;
    Parsed &operator=(const Parsed &) = delete;
    int size() const { return m_file.contacts.size(); }
    Contact *at(int i) const { return m_file.contacts.at(i); }
    const QList<Contact *> &all() const { return m_file.contacts; }
    const QString &usedCodec() const { return m_file.usedCodec; }
    const QString &error() const { return m_file.error; }
    const ParsedFile &file() const { return m_file; }
    // The records as contactText() lines.
    QStringList texts() const;

private:
    ParsedFile m_file;
};

// Records the warnings of the process that the filter keeps (by default all
// warnings) while it lives; the previous handler still prints everything.
class MessageRecorder
{
public:
    using Filter = std::function<bool(QtMsgType, const QMessageLogContext &, const QString &)>;
    explicit MessageRecorder(Filter filter = Filter());
    ~MessageRecorder();
    QStringList messages() const;
    // Adds a message from another source (an engine's error list).
    void append(const QString &message);
    void clear();
};

// One log of the signals of several objects, in the order they came:
// "name(arg,arg)".
class SignalLog : public QObject
{
public:
    template<typename Object, typename... Args>
    void watch(const Object *sender, void (Object::*signal)(Args...), const QString &name)
    {
        connect(sender, signal, this, [this, name](Args... args) {
            append(name, QVariantList{QVariant::fromValue(std::decay_t<Args>(args))...});
        });
    }
    void append(const QString &name, const QVariantList &args);
    QStringList entries;
};
