<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>BirthdayValidator</name>
    <message>
        <source>Year must be %1 or later</source>
        <translation>Год должен быть не раньше %1</translation>
    </message>
    <message>
        <source>Date is in the future</source>
        <translation>Дата в будущем</translation>
    </message>
    <message>
        <source>Not a real date (dd.mm.yyyy)</source>
        <translation>Такой даты нет (дд.мм.гггг)</translation>
    </message>
</context>
<context>
    <name>Button</name>
    <message>
        <source>Button</source>
        <translation>Кнопка</translation>
    </message>
</context>
<context>
    <name>Calendar</name>
    <message>
        <source>Previous month</source>
        <translation>Предыдущий месяц</translation>
    </message>
    <message>
        <source>Next month</source>
        <translation>Следующий месяц</translation>
    </message>
</context>
<context>
    <name>CalendarForm</name>
    <message>
        <source>No year</source>
        <translation>Без года</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Год</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>CardDavAccount</name>
    <message>
        <source>Choose an address book</source>
        <translation>Выберите адресную книгу</translation>
    </message>
    <message>
        <source>Enter the server&apos;s address, as https://example.org</source>
        <translation>Введите адрес сервера, например https://example.org</translation>
    </message>
    <message>
        <source>Looking for address books…</source>
        <translation>Поиск адресных книг…</translation>
    </message>
    <message>
        <source>Enter the password of the account</source>
        <translation>Введите пароль учётной записи</translation>
    </message>
    <message>
        <source>No secret store is available (%1): enter the password; it is kept only until the program ends</source>
        <translation>Хранилище секретов недоступно (%1): введите пароль; он будет храниться только до закрытия программы</translation>
    </message>
    <message>
        <source>No secret store is available (%1): the password is kept only until the program ends</source>
        <translation>Хранилище секретов недоступно (%1): пароль хранится только до закрытия программы</translation>
    </message>
    <message>
        <source>Sync needs the address book file, which cannot be opened</source>
        <translation>Для синхронизации нужен файл адресной книги, но его не удаётся открыть</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>Синхронизация…</translation>
    </message>
    <message>
        <source>1 contact was changed here and on the server: both versions are kept</source>
        <translation>1 контакт изменён и здесь, и на сервере: сохранены обе версии</translation>
    </message>
    <message numerus="yes">
        <source>%n contacts were changed here and on the server: both versions are kept</source>
        <translation>
            <numerusform>%n контакт изменён и здесь, и на сервере: сохранены обе версии</numerusform>
            <numerusform>%n контакта изменены и здесь, и на сервере: сохранены обе версии</numerusform>
            <numerusform>%n контактов изменены и здесь, и на сервере: сохранены обе версии</numerusform>
        </translation>
    </message>
    <message>
        <source>Synced at %1</source>
        <translation>Синхронизировано в %1</translation>
    </message>
    <message>
        <source>Sync failed at %1: %2</source>
        <translation>Синхронизация не удалась в %1: %2</translation>
    </message>
</context>
<context>
    <name>CardDavForm</name>
    <message>
        <source>Send it all the same?</source>
        <translation>Всё равно отправить?</translation>
    </message>
    <message>
        <source>CardDAV account</source>
        <translation>Учётная запись CardDAV</translation>
    </message>
    <message>
        <source>Server address</source>
        <translation>Адрес сервера</translation>
    </message>
    <message>
        <source>The connection to this server is not encrypted: your password and contacts can be read on the way</source>
        <translation>Соединение с этим сервером не зашифровано: пароль и контакты можно прочитать по пути</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Имя пользователя</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Пароль</translation>
    </message>
    <message>
        <source>Use this password</source>
        <translation>Использовать этот пароль</translation>
    </message>
    <message>
        <source>Find address books</source>
        <translation>Найти адресные книги</translation>
    </message>
    <message>
        <source>Found on %1</source>
        <translation>Найдено на %1</translation>
    </message>
    <message>
        <source>Address book: </source>
        <translation>Адресная книга: </translation>
    </message>
    <message>
        <source>No account</source>
        <translation>Нет учётной записи</translation>
    </message>
    <message>
        <source>Sync now</source>
        <translation>Синхронизировать</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>CardDavSync</name>
    <message>
        <source>The server&apos;s answer was cut off</source>
        <translation>Ответ сервера оборвался</translation>
    </message>
    <message>
        <source>Sync needs an address book on a server and the address book file</source>
        <translation>Для синхронизации нужны адресная книга на сервере и файл адресной книги</translation>
    </message>
    <message>
        <source>Sync stopped</source>
        <translation>Синхронизация остановлена</translation>
    </message>
    <message>
        <source>The address book file is closed</source>
        <translation>Файл адресной книги закрыт</translation>
    </message>
    <message>
        <source>Conflict copy</source>
        <translation>Копия при конфликте</translation>
    </message>
    <message>
        <source>The server refused the changes made here again and again: they are kept here and sent with the next sync</source>
        <translation>Сервер раз за разом отклоняет сделанные здесь изменения: они сохранены здесь и будут отправлены при следующей синхронизации</translation>
    </message>
    <message numerus="yes">
        <source>%n card(s) on the server cannot be read, first: %1</source>
        <translation>
            <numerusform>%n карточку на сервере не удаётся прочитать, первая: %1</numerusform>
            <numerusform>%n карточки на сервере не удаётся прочитать, первая: %1</numerusform>
            <numerusform>%n карточек на сервере не удаётся прочитать, первая: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n card(s) on the server are too large, first: %1</source>
        <translation>
            <numerusform>%n карточка на сервере слишком велика, первая: %1</numerusform>
            <numerusform>%n карточки на сервере слишком велики, первая: %1</numerusform>
            <numerusform>%n карточек на сервере слишком велики, первая: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n card(s) named outside the address book were ignored, first: %1</source>
        <translation>
            <numerusform>%n карточка с адресом вне адресной книги пропущена, первая: %1</numerusform>
            <numerusform>%n карточки с адресами вне адресной книги пропущены, первая: %1</numerusform>
            <numerusform>%n карточек с адресами вне адресной книги пропущены, первая: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CardDetails</name>
    <message>
        <source>Nickname</source>
        <translation>Псевдоним</translation>
    </message>
    <message>
        <source>Job title</source>
        <translation>Должность</translation>
    </message>
    <message>
        <source>Role</source>
        <translation>Роль</translation>
    </message>
    <message>
        <source>Department</source>
        <translation>Отдел</translation>
    </message>
    <message>
        <source>Anniversary</source>
        <translation>Годовщина</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <source>Instant messaging</source>
        <translation>Мессенджеры</translation>
    </message>
    <message>
        <source>Related</source>
        <translation>Связанные люди</translation>
    </message>
    <message>
        <source>Social profile</source>
        <translation>Профиль в соцсети</translation>
    </message>
</context>
<context>
    <name>Contact</name>
    <message>
        <source>Home</source>
        <translation>Домашний</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Рабочий</translation>
    </message>
    <message>
        <source>Fax</source>
        <translation>Факс</translation>
    </message>
    <message>
        <source>Pager</source>
        <translation>Пейджер</translation>
    </message>
</context>
<context>
    <name>ContactDetails</name>
    <message>
        <source>Tap contacts to mark them, then press the tick button above to delete them.</source>
        <translation>Коснитесь контактов, чтобы отметить их, затем нажмите кнопку с галочкой вверху, чтобы удалить их.</translation>
    </message>
</context>
<context>
    <name>ContactDetailsEdit</name>
    <message>
        <source>NAME</source>
        <translation>ИМЯ</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Surname</source>
        <translation>Фамилия</translation>
    </message>
    <message>
        <source>Middlename</source>
        <translation>Отчество</translation>
    </message>
    <message>
        <source>PHONE</source>
        <translation>ТЕЛЕФОН</translation>
    </message>
    <message>
        <source>PRIVATE</source>
        <translation>ЛИЧНОЕ</translation>
    </message>
    <message>
        <source>Date of birth (01.12.1980)</source>
        <translation>Дата рождения (01.12.1980)</translation>
    </message>
    <message>
        <source>Birthday</source>
        <translation>День рождения</translation>
    </message>
    <message>
        <source>Choose date of birth</source>
        <translation>Выбрать дату рождения</translation>
    </message>
    <message>
        <source>Organization</source>
        <translation>Организация</translation>
    </message>
    <message>
        <source>EMAIL</source>
        <translation>ЭЛ. ПОЧТА</translation>
    </message>
    <message>
        <source>ADDRESS</source>
        <translation>АДРЕС</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>LINKS</source>
        <translation>ССЫЛКИ</translation>
    </message>
    <message>
        <source>COMMENT</source>
        <translation>КОММЕНТАРИЙ</translation>
    </message>
    <message>
        <source>Additional info</source>
        <translation>Дополнительно</translation>
    </message>
    <message>
        <source>GROUPS</source>
        <translation>ГРУППЫ</translation>
    </message>
    <message>
        <source>New group</source>
        <translation>Новая группа</translation>
    </message>
    <message>
        <source>Add to the new group</source>
        <translation>Добавить в новую группу</translation>
    </message>
</context>
<context>
    <name>ContactDetailsView</name>
    <message>
        <source>Favourite</source>
        <translation>Избранный</translation>
    </message>
    <message>
        <source>This is the version changed here. The server&apos;s version is kept beside it.</source>
        <translation>Это версия, изменённая здесь. Версия с сервера сохранена рядом.</translation>
    </message>
    <message>
        <source>This is the server&apos;s version. The version changed here is kept beside it.</source>
        <translation>Это версия с сервера. Версия, изменённая здесь, сохранена рядом.</translation>
    </message>
    <message>
        <source>Keep this version</source>
        <translation>Оставить эту версию</translation>
    </message>
    <message>
        <source>PHONE</source>
        <translation>ТЕЛЕФОН</translation>
    </message>
    <message>
        <source>EMAIL</source>
        <translation>ЭЛ. ПОЧТА</translation>
    </message>
    <message>
        <source>ADDRESS</source>
        <translation>АДРЕС</translation>
    </message>
    <message>
        <source>LINKS</source>
        <translation>ССЫЛКИ</translation>
    </message>
    <message>
        <source>COMMENT</source>
        <translation>КОММЕНТАРИЙ</translation>
    </message>
    <message>
        <source>MORE</source>
        <translation>ДОПОЛНИТЕЛЬНО</translation>
    </message>
    <message>
        <source>GROUPS</source>
        <translation>ГРУППЫ</translation>
    </message>
</context>
<context>
    <name>ContactList</name>
    <message>
        <source>No contacts match</source>
        <translation>Подходящих контактов нет</translation>
    </message>
    <message>
        <source>No contacts yet. Import them from a file of another address book, or add the first one.</source>
        <translation>Контактов пока нет. Импортируйте их из файла другой адресной книги или добавьте первый.</translation>
    </message>
    <message>
        <source>Import contacts…</source>
        <translation>Импортировать контакты…</translation>
    </message>
    <message>
        <source>Add a contact</source>
        <translation>Добавить контакт</translation>
    </message>
</context>
<context>
    <name>ContactListItem</name>
    <message>
        <source>Two versions: changed here and on the server</source>
        <translation>Две версии: изменён здесь и на сервере</translation>
    </message>
    <message>
        <source>2 versions</source>
        <translation>2 версии</translation>
    </message>
</context>
<context>
    <name>ContactsFileParser</name>
    <message>
        <source>This file is not a contact file.</source>
        <translation>Это не файл с контактами.</translation>
    </message>
    <message>
        <source>This file is not a contact file (an %1)</source>
        <translation>Это не файл с контактами (%1)</translation>
    </message>
    <message>
        <source>This file is not a contact file (a %1)</source>
        <translation>Это не файл с контактами (%1)</translation>
    </message>
    <message>
        <source>The file is too large to import (the limit is %1 MB).</source>
        <translation>Файл слишком велик для импорта (предел — %1 МБ).</translation>
    </message>
    <message>
        <source>This file cannot be imported: its contact table computes some of its fields.</source>
        <translation>Этот файл нельзя импортировать: его таблица контактов вычисляет часть полей.</translation>
    </message>
    <message>
        <source>Unable to read file: %1 (%2)</source>
        <translation>Не удаётся прочитать файл: %1 (%2)</translation>
    </message>
    <message>
        <source>A quote opened on line %1 is never closed: the rows from that line to the end of the file could not be read.</source>
        <translation>Кавычка, открытая в строке %1, нигде не закрыта: строки от неё до конца файла прочитать не удалось.</translation>
    </message>
    <message>
        <source>The card of %1 has no END:VCARD line, so it could not be read.</source>
        <translation>В карточке %1 нет строки END:VCARD, поэтому её не удалось прочитать.</translation>
    </message>
    <message>
        <source>A card without a name has no END:VCARD line, so it could not be read.</source>
        <translation>В карточке без имени нет строки END:VCARD, поэтому её не удалось прочитать.</translation>
    </message>
    <message>
        <source>%1 cards have no END:VCARD line, so they could not be read; the first is the card of %2.</source>
        <translation>Карточек без строки END:VCARD: %1, их не удалось прочитать; первая из них — карточка %2.</translation>
    </message>
    <message>
        <source>%1 cards have no END:VCARD line, so they could not be read.</source>
        <translation>Карточек без строки END:VCARD: %1, их не удалось прочитать.</translation>
    </message>
    <message>
        <source>Line %1 holds more values than the header has columns: those beyond them were not read.</source>
        <translation>В строке %1 больше значений, чем столбцов в заголовке: лишние значения не прочитаны.</translation>
    </message>
    <message>
        <source>%1 rows hold more values than the header has columns: those beyond them were not read. The first is on line %2.</source>
        <translation>Строк, где значений больше, чем столбцов в заголовке: %1; лишние значения не прочитаны. Первая из них — строка %2.</translation>
    </message>
</context>
<context>
    <name>ContactsProxyModel</name>
    <message>
        <source>Mobile</source>
        <translation>Мобильный</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Домашний</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Рабочий</translation>
    </message>
    <message>
        <source>Create new</source>
        <translation>Создать новую</translation>
    </message>
</context>
<context>
    <name>DataBase</name>
    <message numerus="yes">
        <source>Changes to %n contact(s) could not be saved yet: %1</source>
        <translation>
            <numerusform>Изменения %n контакта пока не удалось сохранить: %1</numerusform>
            <numerusform>Изменения %n контактов пока не удалось сохранить: %1</numerusform>
            <numerusform>Изменения %n контактов пока не удалось сохранить: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Changes to %n contact(s) were not saved when Kiv Contacts was last closed.</source>
        <translation>
            <numerusform>Изменения %n контакта не были сохранены при последнем закрытии Kiv Contacts.</numerusform>
            <numerusform>Изменения %n контактов не были сохранены при последнем закрытии Kiv Contacts.</numerusform>
            <numerusform>Изменения %n контактов не были сохранены при последнем закрытии Kiv Contacts.</numerusform>
        </translation>
    </message>
    <message>
        <source>Added or edited: %1</source>
        <translation>Добавлены или изменены: %1</translation>
    </message>
</context>
<context>
    <name>DavClient</name>
    <message>
        <source>Certificate not trusted</source>
        <translation>Сертификат не вызывает доверия</translation>
    </message>
    <message>
        <source>The server&apos;s answer is too large</source>
        <translation>Ответ сервера слишком велик</translation>
    </message>
    <message>
        <source>The server answers too slowly</source>
        <translation>Сервер отвечает слишком медленно</translation>
    </message>
    <message>
        <source>The server&apos;s answer was cut off</source>
        <translation>Ответ сервера оборвался</translation>
    </message>
    <message>
        <source>Server not reachable</source>
        <translation>Сервер недоступен</translation>
    </message>
    <message>
        <source>Wrong user name or password</source>
        <translation>Неверное имя пользователя или пароль</translation>
    </message>
    <message>
        <source>The server refused access</source>
        <translation>Сервер отказал в доступе</translation>
    </message>
    <message>
        <source>The address book was not found on the server</source>
        <translation>Адресная книга не найдена на сервере</translation>
    </message>
    <message>
        <source>The server answered with an error</source>
        <translation>Сервер ответил ошибкой</translation>
    </message>
</context>
<context>
    <name>DavDiscovery</name>
    <message>
        <source>The server sends the request on to another server, %1: enter its address to use it</source>
        <translation>Сервер перенаправляет запрос на другой сервер, %1: чтобы использовать его, введите его адрес</translation>
    </message>
    <message>
        <source>The server does not offer CardDAV address books</source>
        <translation>Сервер не предоставляет адресных книг CardDAV</translation>
    </message>
</context>
<context>
    <name>DetailsGroupEdit</name>
    <message>
        <source>PHONE</source>
        <translation>ТЕЛЕФОН</translation>
    </message>
    <message>
        <source>Mobile</source>
        <translation>Мобильный</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Домашний</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Удалить</translation>
    </message>
</context>
<context>
    <name>DetailsGroupList</name>
    <message>
        <source>Call</source>
        <translation>Позвонить</translation>
    </message>
    <message>
        <source>SMS</source>
        <translation>SMS</translation>
    </message>
    <message>
        <source>No program on this system can make calls.</source>
        <translation>В этой системе нет программы для звонков.</translation>
    </message>
    <message>
        <source>No program on this system can send text messages.</source>
        <translation>В этой системе нет программы для отправки SMS.</translation>
    </message>
    <message>
        <source>Only web addresses (http, https) are opened.</source>
        <translation>Открываются только веб-адреса (http, https).</translation>
    </message>
</context>
<context>
    <name>DuplicateFinder</name>
    <message>
        <source>same mobile number %1</source>
        <translation>тот же мобильный номер %1</translation>
    </message>
    <message>
        <source>same home number %1</source>
        <translation>тот же домашний номер %1</translation>
    </message>
    <message>
        <source>same work number %1</source>
        <translation>тот же рабочий номер %1</translation>
    </message>
    <message>
        <source>same phone number %1</source>
        <translation>тот же номер телефона %1</translation>
    </message>
    <message>
        <source>same name</source>
        <translation>то же имя</translation>
    </message>
    <message>
        <source>same name, parts swapped</source>
        <translation>то же имя, части переставлены</translation>
    </message>
    <message>
        <source>same e-mail %1</source>
        <translation>тот же адрес эл. почты %1</translation>
    </message>
    <message>
        <source>“%1” is part of “%2”</source>
        <translation>«%1» входит в «%2»</translation>
    </message>
</context>
<context>
    <name>DuplicateMerge</name>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Organization</source>
        <translation>Организация</translation>
    </message>
    <message>
        <source>Birthday</source>
        <translation>День рождения</translation>
    </message>
    <message>
        <source>Photo</source>
        <translation>Фото</translation>
    </message>
</context>
<context>
    <name>DuplicatesForm</name>
    <message>
        <source>Find duplicates</source>
        <translation>Поиск дубликатов</translation>
    </message>
    <message>
        <source>Looking for duplicates…</source>
        <translation>Поиск дубликатов…</translation>
    </message>
    <message>
        <source>No duplicates found.</source>
        <translation>Дубликатов не найдено.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln group(s) of likely duplicates</source>
        <translation>
            <numerusform>%Ln группа возможных дубликатов</numerusform>
            <numerusform>%Ln группы возможных дубликатов</numerusform>
            <numerusform>%Ln групп возможных дубликатов</numerusform>
        </translation>
    </message>
    <message>
        <source>Likely duplicates</source>
        <translation>Возможные дубликаты</translation>
    </message>
    <message>
        <source>Merged contact</source>
        <translation>Объединённый контакт</translation>
    </message>
    <message>
        <source>%1 differs, keep which?</source>
        <translation>%1: значения различаются, какое оставить?</translation>
    </message>
    <message>
        <source>Photo %1</source>
        <translation>Фото %1</translation>
    </message>
    <message>
        <source>Merge</source>
        <translation>Объединить</translation>
    </message>
    <message>
        <source>Not the same person</source>
        <translation>Это разные люди</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>FileDialog</name>
    <message>
        <source>Choose image file</source>
        <translation>Выберите файл изображения</translation>
    </message>
    <message>
        <source>Image Files (*.jpeg *.jpg *.png *.gif)</source>
        <translation>Изображения (*.jpeg *.jpg *.png *.gif)</translation>
    </message>
    <message>
        <source>Export contacts</source>
        <translation>Экспорт контактов</translation>
    </message>
    <message>
        <source>Choose csv, vcard or sqlite file</source>
        <translation>Выберите файл CSV, vCard или SQLite</translation>
    </message>
</context>
<context>
    <name>HeaderMain</name>
    <message>
        <source>All</source>
        <translation>Все</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>Избранные</translation>
    </message>
    <message>
        <source>Search: %1</source>
        <translation>Поиск: %1</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Delete contacts</source>
        <translation>Удалить контакты</translation>
    </message>
    <message>
        <source>Edit contact</source>
        <translation>Изменить контакт</translation>
    </message>
    <message>
        <source>Add contact</source>
        <translation>Добавить контакт</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>Группы</translation>
    </message>
    <message>
        <source>Show: %1</source>
        <translation>Показать: %1</translation>
    </message>
</context>
<context>
    <name>HeaderOkCancel</name>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
</context>
<context>
    <name>ImportExport</name>
    <message>
        <source>Can&apos;t find any contacts in file.</source>
        <translation>В файле не найдено ни одного контакта.</translation>
    </message>
    <message>
        <source>Unable to export into the address book in use: </source>
        <translation>Нельзя экспортировать в используемую адресную книгу: </translation>
    </message>
    <message>
        <source>Unable to open file for writing: </source>
        <translation>Не удаётся открыть файл для записи: </translation>
    </message>
    <message>
        <source>Unable to write file: </source>
        <translation>Не удаётся записать файл: </translation>
    </message>
</context>
<context>
    <name>ImportExportForm</name>
    <message>
        <source>Nothing new: these contacts are already in the address book.</source>
        <translation>Ничего нового: эти контакты уже есть в адресной книге.</translation>
    </message>
    <message>
        <source>Contacts successfully </source>
        <translation>Контакты успешно </translation>
    </message>
    <message>
        <source>exported.</source>
        <translation>экспортированы.</translation>
    </message>
    <message>
        <source>imported.</source>
        <translation>импортированы.</translation>
    </message>
    <message>
        <source>Exporting</source>
        <translation>Экспорт</translation>
    </message>
    <message>
        <source>Importing</source>
        <translation>Импорт</translation>
    </message>
    <message>
        <source> contacts: </source>
        <translation> контактов: </translation>
    </message>
    <message>
        <source>Choose contacts to </source>
        <translation>Выберите контакты для </translation>
    </message>
    <message>
        <source>export:</source>
        <translation>экспорта:</translation>
    </message>
    <message>
        <source>import:</source>
        <translation>импорта:</translation>
    </message>
    <message>
        <source>All contacts</source>
        <translation>Все контакты</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Already in contacts</source>
        <translation>Уже есть в контактах</translation>
    </message>
    <message>
        <source>Some letters could not be read: try another encoding</source>
        <translation>Некоторые буквы не прочитаны: попробуйте другую кодировку</translation>
    </message>
    <message>
        <source>Text codec:</source>
        <translation>Кодировка:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>LineEdit</name>
    <message>
        <source>Text</source>
        <translation>Текст</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
</context>
<context>
    <name>LineEditForm</name>
    <message>
        <source>Type here...</source>
        <translation>Введите текст...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>ListViewForm</name>
    <message>
        <source>Remove</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>MenuButton</name>
    <message>
        <source>Button</source>
        <translation>Кнопка</translation>
    </message>
</context>
<context>
    <name>MessageForm</name>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>Photo</name>
    <message>
        <source>Choose existing picture...</source>
        <translation>Выбрать готовое изображение...</translation>
    </message>
    <message>
        <source>Photo</source>
        <translation>Фото</translation>
    </message>
    <message>
        <source>The picture “%1” cannot be used: it is damaged, too large or of a kind this program does not read.</source>
        <translation>Изображение «%1» нельзя использовать: оно повреждено, слишком большое или в формате, который эта программа не читает.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Contacts</source>
        <translation>Контакты</translation>
    </message>
    <message>
        <source>Initials: </source>
        <translation>Инициалы: </translation>
    </message>
    <message>
        <source>Gender: </source>
        <translation>Пол: </translation>
    </message>
    <message>
        <source>Location: </source>
        <translation>Местонахождение: </translation>
    </message>
    <message>
        <source>Language: </source>
        <translation>Язык: </translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Домашний</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Рабочий</translation>
    </message>
    <message>
        <source>Mobile</source>
        <translation>Мобильный</translation>
    </message>
    <message>
        <source>Pager: </source>
        <translation>Пейджер: </translation>
    </message>
    <message>
        <source> Fax: </source>
        <translation> Факс: </translation>
    </message>
    <message>
        <source> Street: </source>
        <translation> Улица: </translation>
    </message>
    <message>
        <source> PO Box: </source>
        <translation> Абонентский ящик: </translation>
    </message>
    <message>
        <source> City: </source>
        <translation> Город: </translation>
    </message>
    <message>
        <source> State: </source>
        <translation> Регион: </translation>
    </message>
    <message>
        <source> Postal: </source>
        <translation> Индекс: </translation>
    </message>
    <message>
        <source>Country: </source>
        <translation>Страна: </translation>
    </message>
    <message>
        <source>Spouse: </source>
        <translation>Супруг(а): </translation>
    </message>
    <message>
        <source>Children: </source>
        <translation>Дети: </translation>
    </message>
    <message>
        <source>Manager&apos;s Name: </source>
        <translation>Руководитель: </translation>
    </message>
    <message>
        <source>Assistant&apos;s Name: </source>
        <translation>Ассистент: </translation>
    </message>
    <message>
        <source>Referred By: </source>
        <translation>По рекомендации: </translation>
    </message>
    <message>
        <source>Business Fax: </source>
        <translation>Рабочий факс: </translation>
    </message>
    <message>
        <source>Organizational ID Number: </source>
        <translation>Табельный номер: </translation>
    </message>
    <message>
        <source>Profession: </source>
        <translation>Профессия: </translation>
    </message>
    <message>
        <source>Account: </source>
        <translation>Счёт: </translation>
    </message>
    <message>
        <source>Callback: </source>
        <translation>Обратный вызов: </translation>
    </message>
    <message>
        <source>ISDN: </source>
        <translation>ISDN: </translation>
    </message>
    <message>
        <source>Radio Phone: </source>
        <translation>Радиотелефон: </translation>
    </message>
    <message>
        <source>TTY/TDD Phone: </source>
        <translation>Телетайп: </translation>
    </message>
    <message>
        <source>Telex: </source>
        <translation>Телекс: </translation>
    </message>
    <message>
        <source>Keywords: </source>
        <translation>Ключевые слова: </translation>
    </message>
    <message>
        <source>Mileage: </source>
        <translation>Пробег: </translation>
    </message>
    <message>
        <source>Hobby: </source>
        <translation>Увлечения: </translation>
    </message>
    <message>
        <source>Billing Information: </source>
        <translation>Расчётные сведения: </translation>
    </message>
    <message>
        <source>Marked</source>
        <translation>Marked</translation>
    </message>
    <message>
        <source>Occupation: </source>
        <translation>Род занятий: </translation>
    </message>
    <message>
        <source>Subject: </source>
        <translation>Тема: </translation>
    </message>
    <message>
        <source>Organization Symbol: </source>
        <translation>Символ организации: </translation>
    </message>
    <message>
        <source>Organization Location: </source>
        <translation>Местонахождение организации: </translation>
    </message>
    <message>
        <source>Job Description: </source>
        <translation>Описание должности: </translation>
    </message>
    <message>
        <source>Fax: </source>
        <translation>Факс: </translation>
    </message>
    <message>
        <source>Main</source>
        <translation>Основной</translation>
    </message>
    <message>
        <source>Home fax</source>
        <translation>Домашний факс</translation>
    </message>
    <message>
        <source>Work fax</source>
        <translation>Рабочий факс</translation>
    </message>
    <message>
        <source>Pager</source>
        <translation>Пейджер</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Другой</translation>
    </message>
</context>
<context>
    <name>SceneSetup</name>
    <message>
        <source>The address book file cannot be opened: contacts are kept in the settings file for now.</source>
        <translation>Не удаётся открыть файл адресной книги: пока контакты хранятся в файле настроек.</translation>
    </message>
</context>
<context>
    <name>SettingsForm</name>
    <message>
        <source>english</source>
        <translation>английский</translation>
    </message>
    <message>
        <source>name</source>
        <translation>имя</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Alphabetical Index: </source>
        <translation>Алфавитный указатель: </translation>
    </message>
    <message>
        <source>russian</source>
        <translation>русский</translation>
    </message>
    <message>
        <source>Sorted by: </source>
        <translation>Сортировка: </translation>
    </message>
    <message>
        <source>surname</source>
        <translation>фамилия</translation>
    </message>
    <message>
        <source>Import contacts</source>
        <translation>Импортировать контакты</translation>
    </message>
    <message>
        <source>Find duplicates…</source>
        <translation>Найти дубликаты…</translation>
    </message>
    <message>
        <source>CardDAV account: </source>
        <translation>Учётная запись CardDAV: </translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>Google CSV format</source>
        <translation>формат Google CSV</translation>
    </message>
    <message>
        <source>vCard format</source>
        <translation>формат vCard</translation>
    </message>
    <message>
        <source>kiv-contacts format</source>
        <translation>формат kiv-contacts</translation>
    </message>
    <message>
        <source>Export contacts</source>
        <translation>Экспортировать контакты</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>There is a group “%1” already.</source>
        <translation>Группа «%1» уже есть.</translation>
    </message>
    <message>
        <source>A group needs a name.</source>
        <translation>У группы должно быть название.</translation>
    </message>
    <message>
        <source>There is a group “%1” already. Put the contacts of “%2” into it?</source>
        <translation>Группа «%1» уже есть. Перенести в неё контакты группы «%2»?</translation>
    </message>
    <message>
        <source>Join</source>
        <translation>Объединить</translation>
    </message>
    <message>
        <source>Delete the group “%1”? Its contacts stay in the address book.</source>
        <translation>Удалить группу «%1»? Её контакты останутся в адресной книге.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>GROUPS</source>
        <translation>ГРУППЫ</translation>
    </message>
    <message>
        <source>New group…</source>
        <translation>Новая группа…</translation>
    </message>
</context>
<context>
    <name>SettingsGroupItem</name>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Rename the group %1</source>
        <translation>Переименовать группу %1</translation>
    </message>
    <message>
        <source>Delete the group %1</source>
        <translation>Удалить группу %1</translation>
    </message>
</context>
<context>
    <name>SqliteDatabase</name>
    <message>
        <source>the address book is in use by another program</source>
        <translation>адресная книга занята другой программой</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>диск переполнен</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>файл доступен только для чтения</translation>
    </message>
    <message>
        <source>Unable to save changes: </source>
        <translation>Не удаётся сохранить изменения: </translation>
    </message>
    <message>
        <source>The address book is in use by another program: waiting…</source>
        <translation>Адресная книга занята другой программой: ожидание…</translation>
    </message>
    <message>
        <source>Unable to open the address book: </source>
        <translation>Не удаётся открыть адресную книгу: </translation>
    </message>
</context>
<context>
    <name>StoreStatus</name>
    <message>
        <source>Retry</source>
        <translation>Повторить</translation>
    </message>
</context>
<context>
    <name>SyncStatus</name>
    <message>
        <source>Sync failed: %1</source>
        <translation>Синхронизация не удалась: %1</translation>
    </message>
    <message>
        <source>Account settings</source>
        <translation>Настройки учётной записи</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
</context>
<context>
    <name>TextDecoding</name>
    <message>
        <source>Cyrillic (Windows-1251)</source>
        <translation>Кириллица (Windows-1251)</translation>
    </message>
    <message>
        <source>Unicode (UTF-8)</source>
        <translation>Юникод (UTF-8)</translation>
    </message>
    <message>
        <source>Unicode (UTF-16)</source>
        <translation>Юникод (UTF-16)</translation>
    </message>
    <message>
        <source>Unicode (UTF-32)</source>
        <translation>Юникод (UTF-32)</translation>
    </message>
    <message>
        <source>Western European (Windows-1252)</source>
        <translation>Западноевропейская (Windows-1252)</translation>
    </message>
    <message>
        <source>Western European (ISO-8859-1)</source>
        <translation>Западноевропейская (ISO-8859-1)</translation>
    </message>
    <message>
        <source>Western European (ISO-8859-15)</source>
        <translation>Западноевропейская (ISO-8859-15)</translation>
    </message>
    <message>
        <source>Central European (Windows-1250)</source>
        <translation>Центральноевропейская (Windows-1250)</translation>
    </message>
    <message>
        <source>Central European (ISO-8859-2)</source>
        <translation>Центральноевропейская (ISO-8859-2)</translation>
    </message>
    <message>
        <source>Cyrillic (KOI8-R)</source>
        <translation>Кириллица (KOI8-R)</translation>
    </message>
    <message>
        <source>Ukrainian (KOI8-U)</source>
        <translation>Украинская (KOI8-U)</translation>
    </message>
    <message>
        <source>Cyrillic DOS (IBM866)</source>
        <translation>Кириллица DOS (IBM866)</translation>
    </message>
    <message>
        <source>Greek (Windows-1253)</source>
        <translation>Греческая (Windows-1253)</translation>
    </message>
    <message>
        <source>Turkish (Windows-1254)</source>
        <translation>Турецкая (Windows-1254)</translation>
    </message>
    <message>
        <source>Baltic (Windows-1257)</source>
        <translation>Балтийская (Windows-1257)</translation>
    </message>
    <message>
        <source>Japanese (Shift_JIS)</source>
        <translation>Японская (Shift_JIS)</translation>
    </message>
    <message>
        <source>Japanese (EUC-JP)</source>
        <translation>Японская (EUC-JP)</translation>
    </message>
    <message>
        <source>Chinese Simplified (GB18030)</source>
        <translation>Китайская упрощённая (GB18030)</translation>
    </message>
    <message>
        <source>Chinese Traditional (Big5)</source>
        <translation>Китайская традиционная (Big5)</translation>
    </message>
    <message>
        <source>Korean (EUC-KR)</source>
        <translation>Корейская (EUC-KR)</translation>
    </message>
    <message>
        <source>Western European (Mac Roman)</source>
        <translation>Западноевропейская (Mac Roman)</translation>
    </message>
</context>
<context>
    <name>UndoBar</name>
    <message>
        <source>1 contact deleted</source>
        <translation>Удалён 1 контакт</translation>
    </message>
    <message numerus="yes">
        <source>%Ln contacts deleted</source>
        <translation>
            <numerusform>Удалён %Ln контакт</numerusform>
            <numerusform>Удалено %Ln контакта</numerusform>
            <numerusform>Удалено %Ln контактов</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln contacts merged</source>
        <translation>
            <numerusform>%Ln контакт объединён</numerusform>
            <numerusform>%Ln контакта объединены</numerusform>
            <numerusform>%Ln контактов объединены</numerusform>
        </translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Отменить</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message numerus="yes">
        <source>Are you really want to delete %Ln contact.?</source>
        <translation>
            <numerusform>Удалить %Ln контакт?</numerusform>
            <numerusform>Удалить %Ln контакта?</numerusform>
            <numerusform>Удалить %Ln контактов?</numerusform>
        </translation>
    </message>
    <message>
        <source>Can not save contact without name.</source>
        <translation>Нельзя сохранить контакт без имени.</translation>
    </message>
    <message>
        <source>Quit and lose them</source>
        <translation>Выйти без сохранения</translation>
    </message>
    <message>
        <source>Keep waiting</source>
        <translation>Подождать ещё</translation>
    </message>
    <message>
        <source>Save the changes to this contact before quitting?</source>
        <translation>Сохранить изменения этого контакта перед выходом?</translation>
    </message>
    <message>
        <source>Environment:
  KIV_PHONE_LOW_EFFECTS         Any value but empty, 0 or false draws the
                                scenes without shadows and other effects.
  KIV_TABLET_MODE               1, true or yes: large touch rows and a
                                maximised window.
  LANGUAGE, LC_ALL, LC_MESSAGES, LANG
                                The language of the window: English, German
                                or Russian.

Files:
  ~/.config/kiv-phone.sqlite    The address book; an older kiv-contacts.sqlite
                                beside it is taken over by renaming.
  ~/.config/kiv/Contacts.conf   Settings (in $XDG_CONFIG_HOME/kiv when
                                XDG_CONFIG_HOME is set): the letter index,
                                the sort order, the labels, the window and
                                the CardDAV account; the contacts too while
                                the address book cannot be opened. The
                                password is kept in the desktop&apos;s secret store.

Exit status:
  0                             The window was closed.
  1                             The command line was not understood.
  255                           Kiv Contacts was already running: its window
                                was brought forward.
</source>
        <translation>Переменные окружения:
  KIV_PHONE_LOW_EFFECTS         Любое значение, кроме пустого, 0 и false,
                                убирает тени и другие эффекты.
  KIV_TABLET_MODE               1, true или yes: крупные строки для касаний
                                и развёрнутое окно.
  LANGUAGE, LC_ALL, LC_MESSAGES, LANG
                                Язык окна: английский, немецкий или русский.

Файлы:
  ~/.config/kiv-phone.sqlite    Адресная книга; более старый файл
                                kiv-contacts.sqlite рядом с ней принимается
                                вместо неё после переименования.
  ~/.config/kiv/Contacts.conf   Настройки (в $XDG_CONFIG_HOME/kiv, если задана
                                XDG_CONFIG_HOME): буквенный указатель, порядок
                                сортировки, метки, окно и учётная запись
                                CardDAV; а также контакты, пока адресную книгу
                                не удаётся открыть. Пароль хранится в хранилище
                                секретов рабочего стола.

Код возврата:
  0                             Окно закрыто.
  1                             Командная строка не распознана.
  255                           Kiv Contacts уже запущен: его окно выведено
                                на передний план.
</translation>
    </message>
    <message>
        <source>Show contact with &lt;contactId&gt;.</source>
        <translation>Показать контакт с &lt;id-контакта&gt;.</translation>
    </message>
    <message>
        <source>contactId</source>
        <translation>id-контакта</translation>
    </message>
</context>
</TS>
