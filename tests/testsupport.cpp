#include "testsupport.h"

#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <utility>

TestHome::TestHome()
{
    const QString path = m_dir.path();
    qputenv("HOME", path.toUtf8());
    qputenv("XDG_CONFIG_HOME", (path + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (path + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CACHE_HOME", (path + QStringLiteral("/.cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (path + QStringLiteral("/runtime")).toUtf8());
    QDir(path).mkpath(QStringLiteral(".config"));
    QDir(path).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(path + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

ContactPtr makeContact(const QString &id, const QString &surnameAndName)
{
    auto contact = std::make_unique<Contact>(nullptr);
    contact->id = id;
    const int blank = surnameAndName.indexOf(QLatin1Char(' '));
    if (blank < 0) {
        contact->name = surnameAndName;
    } else {
        contact->surname = surnameAndName.left(blank);
        contact->name = surnameAndName.mid(blank + 1);
    }
    return contact;
}

std::vector<ContactPtr> makeContacts(const QString &compact)
{
    std::vector<ContactPtr> result;
    const QStringList entries = compact.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (QString entry : entries) {
        const bool favourite = entry.endsWith(QLatin1Char('*'));
        if (favourite) {
            entry.chop(1);
        }
        result.push_back(makeContact(QString::number(result.size() + 1), entry));
        result.back()->isFavorite = favourite;
    }
    return result;
}

ContactPtr compactContact(const QString &compact)
{
    QStringList fields = compact.split(QLatin1Char(','));
    ContactPtr contact = makeContact(QString(), fields.takeFirst());
    contact->isFavorite = contact->name.endsWith(QLatin1Char('*'));
    contact->name.remove(QLatin1Char('*'));
    for (const QString &field : qAsConst(fields)) {
        const QString value = field.section(QLatin1Char('='), 1);
        if (field.startsWith(QLatin1String("org="))) {
            contact->organization = value;
        } else if (field.startsWith(QLatin1String("email="))) {
            contact->emailList << value;
        } else if (field.startsWith(QLatin1String("phone="))) {
            contact->phoneList << value;
        } else if (field.startsWith(QLatin1String("group="))) {
            contact->groups << value;
        }
    }
    return contact;
}

namespace {

// An edit's names as makeContact() reads them; "Surname|Name" keeps blanks
// as typed.
void nameFrom(const QString &text, Contact *contact)
{
    const ContactPtr named = makeContact(QString(), text);
    contact->surname = text.contains(QLatin1Char('|')) ? text.section(QLatin1Char('|'), 0, 0)
                                                        : named->surname;
    contact->name = text.contains(QLatin1Char('|')) ? text.section(QLatin1Char('|'), 1)
                                                     : named->name;
}

void runViewStep(ContactsProxyModel &view, const QString &command, const QString &argument)
{
    const int row = argument.section(QLatin1Char('='), 0, 0).toInt();
    if (command == QLatin1String("sort")) {
        view.sort();
    } else if (command == QLatin1String("search")) {
        view.setFilterFixedString(argument);
    } else if (command == QLatin1String("fav") || command == QLatin1String("all")) {
        view.showFavouriteGroup(command == QLatin1String("fav"));
    } else if (command == QLatin1String("group")) {
        view.showGroup(argument);
    } else if (command.endsWith(QLatin1String("group"))) {
        // newgroup:Name, renamegroup:From=To, removegroup:Name
        auto *model = qobject_cast<ContactsModel *>(view.sourceModel());
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        QVERIFY(command == QLatin1String("newgroup")      ? model->addGroup(name)
                : command == QLatin1String("renamegroup") ? model->renameGroup(
                                                                  name, argument.section('=', 1))
                                                          : model->removeGroup(name));
    } else if (command == QLatin1String("current")) {
        view.setCurrentIndex(row);
    } else if (command == QLatin1String("role")) {
        view.setSortRole(row);
    } else if (command == QLatin1String("property")) {
        view.setProperty("sortRole", row);
    } else if (command == QLatin1String("add")) {
        const ContactPtr added = compactContact(argument);
        view.newContact()->takeFields(*added);
        view.addNewContact(QString());
    } else if (command == QLatin1String("edit")) {
        view.setCurrentIndex(row);
        nameFrom(argument.section(QLatin1Char('='), 1), view.newContact());
        view.saveContactChanges(QString());
    } else if (command == QLatin1String("join")) {
        // join:row=Group: the editor puts the contact in a group.
        auto *model = qobject_cast<ContactsModel *>(view.sourceModel());
        view.setCurrentIndex(row);
        view.newContact()->takeFields(*model->contactAt(view.mapToSource(view.index(row, 0)).row()));
        view.newContact()->groups << argument.section(QLatin1Char('='), 1);
        view.saveContactChanges(QString());
    } else if (command == QLatin1String("star")) {
        view.setCurrentIndex(row);
        view.toggleFavorite();
    } else if (command == QLatin1String("photo")) {
        view.setCurrentIndex(row);
        view.savePhoto(QStringLiteral("/nonexistent.png"));
    } else if (command == QLatin1String("remove")) {
        view.setContactsToRemove(argument.split(QLatin1Char(',')));
        view.removeContacts();
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + command));
    }
}

void runModelStep(ContactsModel &model, const QString &command, const QString &argument)
{
    ContactsModel other;
    other.addContact(makeContact(QStringLiteral("9"), QStringLiteral("O")).get(), QString());
    const auto index = [&](const QString &row) {
        return row == QLatin1String("o")   ? other.index(0)
               : row == QLatin1String("n") ? QModelIndex()
                                           : model.index(row.toInt());
    };
    const QModelIndex row = index(argument.section(QLatin1Char('='), 0, 0));
    if (command == QLatin1String("add")) {
        model.addContact(compactContact(argument).get(), QString());
    } else if (command == QLatin1String("edit")) {
        ContactPtr edited = makeContact(QString(), QString());
        nameFrom(argument.section(QLatin1Char('='), 1), edited.get());
        edited->fullname = edited->composedFullName();
        model.saveContactChanges(row, edited.get(), QString());
    } else if (command == QLatin1String("star")) {
        model.toggleFavorite(row);
    } else if (command == QLatin1String("photo")) {
        model.savePhoto(row, QStringLiteral("/nonexistent.png"));
    } else if (command == QLatin1String("remove")) {
        QModelIndexList indexes;
        for (const QString &entry : argument.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            indexes << index(entry);
        }
        model.removeContacts(indexes);
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + command));
    }
}

} // namespace

void runListSteps(ContactsModel &model, ContactsProxyModel *view, const QString &steps)
{
    for (const QString &step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString command = step.section(QLatin1Char(':'), 0, 0);
        const QString argument = step.section(QLatin1Char(':'), 1);
        if (view) {
            runViewStep(*view, command, argument);
        } else {
            runModelStep(model, command, argument);
        }
    }
}

QJsonObject contactJson(const Contact *contact)
{
    QJsonObject object;
    auto text = [&object](const char *key, const QString &value) {
        if (!value.isEmpty()) {
            object.insert(QLatin1String(key), value);
        }
    };
    auto list = [&object](const char *key, const QStringList &values, const QStringList &labels,
                          bool labelled) {
        QJsonArray array;
        for (int i = 0; i < values.size(); ++i) {
            array.append(labelled ? values.at(i) + QStringLiteral(" / ") + labels.value(i)
                                  : values.at(i));
        }
        if (!array.isEmpty()) {
            object.insert(QLatin1String(key), array);
        }
    };
    text("surname", contact->surname);
    text("name", contact->name);
    text("middlename", contact->middlename);
    text("fullname", contact->fullname);
    text("organization", contact->organization);
    text("dateOfBirth", contact->dateOfBirth);
    text("comment", contact->comment);
    list("phones", contact->phoneList, contact->phoneGroupList, true);
    list("emails", contact->emailList, contact->emailGroupList, true);
    list("addresses", contact->addressList, contact->addressGroupList, true);
    list("links", contact->linkList, QStringList(), false);
    list("groups", contact->groups, QStringList(), false);
    if (contact->isFavorite) {
        object.insert(QStringLiteral("favorite"), true);
    }
    if (!contact->importMe) {
        object.insert(QStringLiteral("importMe"), false);
    }
    if (!contact->photoData.isEmpty()) {
        const QImage image = QImage::fromData(QByteArray::fromBase64(contact->photoData));
        object.insert(QStringLiteral("photo"),
                      image.isNull()
                              ? QStringLiteral("no image")
                              : QStringLiteral("%1x%2").arg(image.width()).arg(image.height()));
    }
    return object;
}

ContactPtr contactFromJson(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    auto contact = std::make_unique<Contact>(nullptr);
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == QLatin1String("groups")) {
            contact->groups = it.value().toVariant().toStringList();
        } else if (it.value().isArray()) {
            // "value / label" entries fill a list and its labels.
            const QByteArray key =
                    it.key().chopped(it.key() == QLatin1String("addresses") ? 2 : 1).toLatin1();
            QStringList values;
            QStringList labels;
            for (const QJsonValue &entry : it.value().toArray()) {
                values << entry.toString().section(QStringLiteral(" / "), 0, 0);
                labels << entry.toString().section(QStringLiteral(" / "), 1);
            }
            contact->setProperty(key + "List", values);
            contact->setProperty(key + "GroupList", labels);
        } else if (it.key() == QLatin1String("favorite")) {
            contact->isFavorite = it.value().toBool();
        } else if (it.key() == QLatin1String("card")) {
            contact->card = it.value().toString().toUtf8();
        } else {
            contact->setProperty(it.key().toLatin1(), it.value().toString());
        }
    }
    if (contact->id.isEmpty()) {
        contact->id = QStringLiteral("1");
    }
    return contact;
}

QString contactText(const Contact *contact)
{
    return QString::fromUtf8(QJsonDocument(contactJson(contact)).toJson(QJsonDocument::Compact));
}

void addRowsFromFile(const QString &path, const char *types)
{
    const QList<QByteArray> lines = readFile(path).split('\n');
    QVERIFY2(lines.size() > 1, qPrintable(path));
    for (const QByteArray &line : lines) {
        const QJsonArray row = QJsonDocument::fromJson(line).array();
        if (row.isEmpty())
            continue;
        QTestData &data = QTest::newRow(qPrintable(row.at(0).toString()));
        for (int i = 1; i < row.size(); ++i) {
            const QJsonValue value = row.at(i);
            switch (i <= int(qstrlen(types)) ? types[i - 1] : 'S') {
            case 'B':
                data << (value.isObject() ? value[QLatin1String("latin1")].toString().toLatin1()
                                          : value.toString().toUtf8());
                break;
            case 'I':
                data << value.toInt();
                break;
            case 'T':
                data << value.toBool();
                break;
            default:
                data << value.toString();
            }
        }
    }
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return QString();
    }
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList cardLines(const QByteArray &card)
{
    QString text = QString::fromUtf8(card);
    text.replace(QRegularExpression(QStringLiteral("\r*\n[ \t]")), QString());
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r*\n")));
    while (!lines.isEmpty()
           && !lines.last().startsWith(QLatin1String("END:"), Qt::CaseInsensitive)) {
        lines.removeLast();
    }
    return lines;
}

// Cards written by iOS, macOS, Google (export and CardDAV), Android with
// DAVx5, Nextcloud, Thunderbird and Evolution.
QStringList keptCardFiles()
{
    return {QStringLiteral("iphone-30-crcrlf-photo.vcf"),
            QStringLiteral("macos-30-abadr-photo.vcf"),
            QStringLiteral("gmail-30-custom-labels.vcf"),
            QStringLiteral("google-carddav-30-photo.vcf"),
            QStringLiteral("davdroid-40-rev-ms.vcf"),
            QStringLiteral("nextcloud-40-photo-datauri.vcf"),
            QStringLiteral("thunderbird-40-export.vcf"),
            QStringLiteral("evolution-30-fold-inside-escape.vcf")};
}

QByteArray firstCard(const QString &name)
{
    const QByteArray file = readFile(QStringLiteral(TEST_DATA_DIR "/vcard/") + name);
    const int end = file.indexOf("END:VCARD");
    const int next = file.indexOf('\n', end);
    return next < 0 ? file : file.left(next + 1);
}

QByteArray imageBytes(QSize size, const char *format, Qt::GlobalColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString writeImage(const QString &dir, QSize size, const char *format)
{
    return writeFile(dir + QStringLiteral("/image_%1x%2.").arg(size.width()).arg(size.height())
                             + QString::fromLatin1(format).toLower(),
                     imageBytes(size, format));
}

Parsed::Parsed(ParsedFile file)
    : m_file(std::move(file))
{
}

Parsed::Parsed(const QList<Contact *> &contacts)
    : m_file{contacts, {}, {}}
{
}

Parsed::~Parsed()
{
    qDeleteAll(m_file.contacts);
}

QStringList Parsed::texts() const
{
    QStringList result;
    for (const Contact *contact : m_file.contacts) {
        result << contactText(contact);
    }
    return result;
}

namespace {

QStringList recorded;
MessageRecorder::Filter recordFilter;
QtMessageHandler previousHandler = nullptr;

void recordMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const bool warning = type != QtDebugMsg && type != QtInfoMsg;
    if (warning && (!recordFilter || recordFilter(type, context, text))) {
        recorded.append(text);
    }
    if (previousHandler) {
        previousHandler(type, context, text);
    }
}

} // namespace

MessageRecorder::MessageRecorder(Filter filter)
{
    recorded.clear();
    recordFilter = std::move(filter);
    previousHandler = qInstallMessageHandler(recordMessage);
}

MessageRecorder::~MessageRecorder()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}

QStringList MessageRecorder::messages() const
{
    return recorded;
}

void MessageRecorder::append(const QString &message)
{
    if (!recorded.contains(message)) {
        recorded.append(message);
    }
}

void MessageRecorder::clear()
{
    recorded.clear();
}

void SignalLog::append(const QString &name, const QVariantList &args)
{
    QStringList texts;
    for (const QVariant &arg : args) {
        texts << arg.toString();
    }
    entries << name + QLatin1Char('(') + texts.join(QLatin1Char(',')) + QLatin1Char(')');
}

int importAsScene(const QString &file, ContactsModel *model, DataBase *store, bool tickAll,
                  QStringList *labels)
{
    ImportExport backend;
    int count = -1;
    backend.setBook(model);
    QObject::connect(&backend, &ImportExport::importContactEnded, model,
                     &ContactsModel::addQueuedContacts);
    QObject::connect(&backend, &ImportExport::importContactStarted, [&count](int n) { count = n; });
    backend.setStore(store);
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), file);
    for (const QVariant &contact : backend.contacts()) {
        contact.value<Contact *>()->importMe |= tickAll;
    }
    backend.importParsedContacts();
    if (labels) {
        *labels = backend.importedLabels();
    }
    return count;
}
