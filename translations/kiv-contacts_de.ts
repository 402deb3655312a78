<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>BirthdayValidator</name>
    <message>
        <source>Year must be %1 or later</source>
        <translation>Das Jahr muss %1 oder später sein</translation>
    </message>
    <message>
        <source>Date is in the future</source>
        <translation>Das Datum liegt in der Zukunft</translation>
    </message>
    <message>
        <source>Not a real date (dd.mm.yyyy)</source>
        <translation>Kein gültiges Datum (TT.MM.JJJJ)</translation>
    </message>
</context>
<context>
    <name>Button</name>
    <message>
        <source>Button</source>
        <translation>Schaltfläche</translation>
    </message>
</context>
<context>
    <name>Calendar</name>
    <message>
        <source>Previous month</source>
        <translation>Voriger Monat</translation>
    </message>
    <message>
        <source>Next month</source>
        <translation>Nächster Monat</translation>
    </message>
</context>
<context>
    <name>CalendarForm</name>
    <message>
        <source>No year</source>
        <translation>Ohne Jahr</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>CardDavAccount</name>
    <message>
        <source>Choose an address book</source>
        <translation>Wählen Sie ein Adressbuch</translation>
    </message>
    <message>
        <source>Enter the server&apos;s address, as https://example.org</source>
        <translation>Geben Sie die Adresse des Servers ein, etwa https://example.org</translation>
    </message>
    <message>
        <source>Looking for address books…</source>
        <translation>Adressbücher werden gesucht…</translation>
    </message>
    <message>
        <source>Enter the password of the account</source>
        <translation>Geben Sie das Passwort des Kontos ein</translation>
    </message>
    <message>
        <source>No secret store is available (%1): enter the password; it is kept only until the program ends</source>
        <translation>Kein Schlüsselbund verfügbar (%1): Geben Sie das Passwort ein; es wird nur bis zum Beenden des Programms aufbewahrt</translation>
    </message>
    <message>
        <source>No secret store is available (%1): the password is kept only until the program ends</source>
        <translation>Kein Schlüsselbund verfügbar (%1): Das Passwort wird nur bis zum Beenden des Programms aufbewahrt</translation>
    </message>
    <message>
        <source>Sync needs the address book file, which cannot be opened</source>
        <translation>Zum Abgleich wird die Adressbuchdatei gebraucht, sie lässt sich aber nicht öffnen</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>Abgleich läuft…</translation>
    </message>
    <message>
        <source>1 contact was changed here and on the server: both versions are kept</source>
        <translation>1 Kontakt wurde hier und auf dem Server geändert: Beide Fassungen bleiben erhalten</translation>
    </message>
    <message numerus="yes">
        <source>%n contacts were changed here and on the server: both versions are kept</source>
        <translation>
            <numerusform>%n Kontakt wurde hier und auf dem Server geändert: Beide Fassungen bleiben erhalten</numerusform>
            <numerusform>%n Kontakte wurden hier und auf dem Server geändert: Beide Fassungen bleiben erhalten</numerusform>
        </translation>
    </message>
    <message>
        <source>Synced at %1</source>
        <translation>Abgeglichen um %1</translation>
    </message>
    <message>
        <source>Sync failed at %1: %2</source>
        <translation>Abgleich um %1 fehlgeschlagen: %2</translation>
    </message>
</context>
<context>
    <name>CardDavForm</name>
    <message>
        <source>Send it all the same?</source>
        <translation>Trotzdem senden?</translation>
    </message>
    <message>
        <source>CardDAV account</source>
        <translation>CardDAV-Konto</translation>
    </message>
    <message>
        <source>Server address</source>
        <translation>Serveradresse</translation>
    </message>
    <message>
        <source>The connection to this server is not encrypted: your password and contacts can be read on the way</source>
        <translation>Die Verbindung zu diesem Server ist nicht verschlüsselt: Ihr Passwort und Ihre Kontakte können unterwegs mitgelesen werden</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>Use this password</source>
        <translation>Dieses Passwort verwenden</translation>
    </message>
    <message>
        <source>Find address books</source>
        <translation>Adressbücher suchen</translation>
    </message>
    <message>
        <source>Found on %1</source>
        <translation>Gefunden auf %1</translation>
    </message>
    <message>
        <source>Address book: </source>
        <translation>Adressbuch: </translation>
    </message>
    <message>
        <source>No account</source>
        <translation>Kein Konto</translation>
    </message>
    <message>
        <source>Sync now</source>
        <translation>Jetzt abgleichen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>CardDavSync</name>
    <message>
        <source>The server&apos;s answer was cut off</source>
        <translation>Die Antwort des Servers brach ab</translation>
    </message>
    <message>
        <source>Sync needs an address book on a server and the address book file</source>
        <translation>Zum Abgleich werden ein Adressbuch auf einem Server und die Adressbuchdatei gebraucht</translation>
    </message>
    <message>
        <source>Sync stopped</source>
        <translation>Abgleich angehalten</translation>
    </message>
    <message>
        <source>The address book file is closed</source>
        <translation>Die Adressbuchdatei ist geschlossen</translation>
    </message>
    <message>
        <source>Conflict copy</source>
        <translation>Konfliktkopie</translation>
    </message>
    <message>
        <source>The server refused the changes made here again and again: they are kept here and sent with the next sync</source>
        <translation>Der Server hat die hier gemachten Änderungen immer wieder abgelehnt: Sie bleiben hier erhalten und werden beim nächsten Abgleich gesendet</translation>
    </message>
    <message numerus="yes">
        <source>%n card(s) on the server cannot be read, first: %1</source>
        <translation>
            <numerusform>%n Karte auf dem Server ist nicht lesbar: %1</numerusform>
            <numerusform>%n Karten auf dem Server sind nicht lesbar, die erste: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n card(s) on the server are too large, first: %1</source>
        <translation>
            <numerusform>%n Karte auf dem Server ist zu groß: %1</numerusform>
            <numerusform>%n Karten auf dem Server sind zu groß, die erste: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n card(s) named outside the address book were ignored, first: %1</source>
        <translation>
            <numerusform>%n Karte mit einer Adresse außerhalb des Adressbuchs wurde ignoriert: %1</numerusform>
            <numerusform>%n Karten mit Adressen außerhalb des Adressbuchs wurden ignoriert, die erste: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CardDetails</name>
    <message>
        <source>Nickname</source>
        <translation>Spitzname</translation>
    </message>
    <message>
        <source>Job title</source>
        <translation>Berufsbezeichnung</translation>
    </message>
    <message>
        <source>Role</source>
        <translation>Rolle</translation>
    </message>
    <message>
        <source>Department</source>
        <translation>Abteilung</translation>
    </message>
    <message>
        <source>Anniversary</source>
        <translation>Jahrestag</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Instant messaging</source>
        <translation>Instant Messaging</translation>
    </message>
    <message>
        <source>Related</source>
        <translation>Beziehungen</translation>
    </message>
    <message>
        <source>Social profile</source>
        <translation>Soziales Profil</translation>
    </message>
</context>
<context>
    <name>Contact</name>
    <message>
        <source>Home</source>
        <translation>Privat</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Arbeit</translation>
    </message>
    <message>
        <source>Fax</source>
        <translation>Fax</translation>
    </message>
    <message>
        <source>Pager</source>
        <translation>Pager</translation>
    </message>
</context>
<context>
    <name>ContactDetails</name>
    <message>
        <source>Tap contacts to mark them, then press the tick button above to delete them.</source>
        <translation>Tippen Sie Kontakte an, um sie zu markieren, und drücken Sie dann oben den Haken, um sie zu löschen.</translation>
    </message>
</context>
<context>
    <name>ContactDetailsEdit</name>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Vorname</translation>
    </message>
    <message>
        <source>Surname</source>
        <translation>Nachname</translation>
    </message>
    <message>
        <source>Middlename</source>
        <translation>Zweiter Vorname</translation>
    </message>
    <message>
        <source>PHONE</source>
        <translation>TELEFON</translation>
    </message>
    <message>
        <source>PRIVATE</source>
        <translation>PERSÖNLICH</translation>
    </message>
    <message>
        <source>Date of birth (01.12.1980)</source>
        <translation>Geburtsdatum (01.12.1980)</translation>
    </message>
    <message>
        <source>Birthday</source>
        <translation>Geburtstag</translation>
    </message>
    <message>
        <source>Choose date of birth</source>
        <translation>Geburtsdatum wählen</translation>
    </message>
    <message>
        <source>Organization</source>
        <translation>Organisation</translation>
    </message>
    <message>
        <source>EMAIL</source>
        <translation>E-MAIL</translation>
    </message>
    <message>
        <source>ADDRESS</source>
        <translation>ADRESSE</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>LINKS</source>
        <translation>LINKS</translation>
    </message>
    <message>
        <source>COMMENT</source>
        <translation>KOMMENTAR</translation>
    </message>
    <message>
        <source>Additional info</source>
        <translation>Weitere Angaben</translation>
    </message>
    <message>
        <source>GROUPS</source>
        <translation>GRUPPEN</translation>
    </message>
    <message>
        <source>New group</source>
        <translation>Neue Gruppe</translation>
    </message>
    <message>
        <source>Add to the new group</source>
        <translation>Zur neuen Gruppe hinzufügen</translation>
    </message>
</context>
<context>
    <name>ContactDetailsView</name>
    <message>
        <source>Favourite</source>
        <translation>Favorit</translation>
    </message>
    <message>
        <source>This is the version changed here. The server&apos;s version is kept beside it.</source>
        <translation>Dies ist die hier geänderte Fassung. Die Fassung des Servers ist daneben erhalten.</translation>
    </message>
    <message>
        <source>This is the server&apos;s version. The version changed here is kept beside it.</source>
        <translation>Dies ist die Fassung des Servers. Die hier geänderte Fassung ist daneben erhalten.</translation>
    </message>
    <message>
        <source>Keep this version</source>
        <translation>Diese Fassung behalten</translation>
    </message>
    <message>
        <source>PHONE</source>
        <translation>TELEFON</translation>
    </message>
    <message>
        <source>EMAIL</source>
        <translation>E-MAIL</translation>
    </message>
    <message>
        <source>ADDRESS</source>
        <translation>ADRESSE</translation>
    </message>
    <message>
        <source>LINKS</source>
        <translation>LINKS</translation>
    </message>
    <message>
        <source>COMMENT</source>
        <translation>KOMMENTAR</translation>
    </message>
    <message>
        <source>MORE</source>
        <translation>WEITERES</translation>
    </message>
    <message>
        <source>GROUPS</source>
        <translation>GRUPPEN</translation>
    </message>
</context>
<context>
    <name>ContactList</name>
    <message>
        <source>No contacts match</source>
        <translation>Keine passenden Kontakte</translation>
    </message>
    <message>
        <source>No contacts yet. Import them from a file of another address book, or add the first one.</source>
        <translation>Noch keine Kontakte. Importieren Sie sie aus der Datei eines anderen Adressbuchs oder legen Sie den ersten an.</translation>
    </message>
    <message>
        <source>Import contacts…</source>
        <translation>Kontakte importieren…</translation>
    </message>
    <message>
        <source>Add a contact</source>
        <translation>Kontakt hinzufügen</translation>
    </message>
</context>
<context>
    <name>ContactListItem</name>
    <message>
        <source>Two versions: changed here and on the server</source>
        <translation>Zwei Fassungen: hier und auf dem Server geändert</translation>
    </message>
    <message>
        <source>2 versions</source>
        <translation>2 Fassungen</translation>
    </message>
</context>
<context>
    <name>ContactsFileParser</name>
    <message>
        <source>This file is not a contact file.</source>
        <translation>Diese Datei ist keine Kontaktdatei.</translation>
    </message>
    <message>
        <source>This file is not a contact file (an %1)</source>
        <translation>Diese Datei ist keine Kontaktdatei (%1)</translation>
    </message>
    <message>
        <source>This file is not a contact file (a %1)</source>
        <translation>Diese Datei ist keine Kontaktdatei (%1)</translation>
    </message>
    <message>
        <source>The file is too large to import (the limit is %1 MB).</source>
        <translation>Die Datei ist zu groß für den Import (die Grenze liegt bei %1 MB).</translation>
    </message>
    <message>
        <source>This file cannot be imported: its contact table computes some of its fields.</source>
        <translation>Diese Datei lässt sich nicht importieren: Ihre Kontakttabelle berechnet einige ihrer Felder.</translation>
    </message>
    <message>
        <source>Unable to read file: %1 (%2)</source>
        <translation>Die Datei kann nicht gelesen werden: %1 (%2)</translation>
    </message>
    <message>
        <source>A quote opened on line %1 is never closed: the rows from that line to the end of the file could not be read.</source>
        <translation>In Zeile %1 wird ein Anführungszeichen geöffnet und nie geschlossen: Die Zeilen von dort bis zum Ende der Datei konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The card of %1 has no END:VCARD line, so it could not be read.</source>
        <translation>Die Karte von %1 hat keine Zeile END:VCARD und konnte daher nicht gelesen werden.</translation>
    </message>
    <message>
        <source>A card without a name has no END:VCARD line, so it could not be read.</source>
        <translation>Eine Karte ohne Namen hat keine Zeile END:VCARD und konnte daher nicht gelesen werden.</translation>
    </message>
    <message>
        <source>%1 cards have no END:VCARD line, so they could not be read; the first is the card of %2.</source>
        <translation>%1 Karten haben keine Zeile END:VCARD und konnten daher nicht gelesen werden; die erste ist die Karte von %2.</translation>
    </message>
    <message>
        <source>%1 cards have no END:VCARD line, so they could not be read.</source>
        <translation>%1 Karten haben keine Zeile END:VCARD und konnten daher nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Line %1 holds more values than the header has columns: those beyond them were not read.</source>
        <translation>Zeile %1 enthält mehr Werte, als die Kopfzeile Spalten hat: Die überzähligen Werte wurden nicht gelesen.</translation>
    </message>
    <message>
        <source>%1 rows hold more values than the header has columns: those beyond them were not read. The first is on line %2.</source>
        <translation>%1 Zeilen enthalten mehr Werte, als die Kopfzeile Spalten hat: Die überzähligen Werte wurden nicht gelesen. Die erste steht in Zeile %2.</translation>
    </message>
</context>
<context>
    <name>ContactsProxyModel</name>
    <message>
        <source>Mobile</source>
        <translation>Mobil</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Privat</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Arbeit</translation>
    </message>
    <message>
        <source>Create new</source>
        <translation>Neu anlegen</translation>
    </message>
</context>
<context>
    <name>DataBase</name>
    <message numerus="yes">
        <source>Changes to %n contact(s) could not be saved yet: %1</source>
        <translation>
            <numerusform>Änderungen an %n Kontakt konnten noch nicht gespeichert werden: %1</numerusform>
            <numerusform>Änderungen an %n Kontakten konnten noch nicht gespeichert werden: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Changes to %n contact(s) were not saved when Kiv Contacts was last closed.</source>
        <translation>
            <numerusform>Änderungen an %n Kontakt wurden beim letzten Beenden von Kiv Contacts nicht gespeichert.</numerusform>
            <numerusform>Änderungen an %n Kontakten wurden beim letzten Beenden von Kiv Contacts nicht gespeichert.</numerusform>
        </translation>
    </message>
    <message>
        <source>Added or edited: %1</source>
        <translation>Hinzugefügt oder bearbeitet: %1</translation>
    </message>
</context>
<context>
    <name>DavClient</name>
    <message>
        <source>Certificate not trusted</source>
        <translation>Zertifikat nicht vertrauenswürdig</translation>
    </message>
    <message>
        <source>The server&apos;s answer is too large</source>
        <translation>Die Antwort des Servers ist zu groß</translation>
    </message>
    <message>
        <source>The server answers too slowly</source>
        <translation>Der Server antwortet zu langsam</translation>
    </message>
    <message>
        <source>The server&apos;s answer was cut off</source>
        <translation>Die Antwort des Servers brach ab</translation>
    </message>
    <message>
        <source>Server not reachable</source>
        <translation>Server nicht erreichbar</translation>
    </message>
    <message>
        <source>Wrong user name or password</source>
        <translation>Falscher Benutzername oder falsches Passwort</translation>
    </message>
    <message>
        <source>The server refused access</source>
        <translation>Der Server hat den Zugriff verweigert</translation>
    </message>
    <message>
        <source>The address book was not found on the server</source>
        <translation>Das Adressbuch wurde auf dem Server nicht gefunden</translation>
    </message>
    <message>
        <source>The server answered with an error</source>
        <translation>Der Server hat mit einem Fehler geantwortet</translation>
    </message>
</context>
<context>
    <name>DavDiscovery</name>
    <message>
        <source>The server sends the request on to another server, %1: enter its address to use it</source>
        <translation>Der Server leitet die Anfrage an einen anderen Server weiter, %1: Geben Sie dessen Adresse ein, um ihn zu verwenden</translation>
    </message>
    <message>
        <source>The server does not offer CardDAV address books</source>
        <translation>Der Server bietet keine CardDAV-Adressbücher an</translation>
    </message>
</context>
<context>
    <name>DetailsGroupEdit</name>
    <message>
        <source>PHONE</source>
        <translation>TELEFON</translation>
    </message>
    <message>
        <source>Mobile</source>
        <translation>Mobil</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Privat</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
</context>
<context>
    <name>DetailsGroupList</name>
    <message>
        <source>Call</source>
        <translation>Anrufen</translation>
    </message>
    <message>
        <source>SMS</source>
        <translation>SMS</translation>
    </message>
    <message>
        <source>No program on this system can make calls.</source>
        <translation>Auf diesem System kann kein Programm Anrufe tätigen.</translation>
    </message>
    <message>
        <source>No program on this system can send text messages.</source>
        <translation>Auf diesem System kann kein Programm SMS senden.</translation>
    </message>
    <message>
        <source>Only web addresses (http, https) are opened.</source>
        <translation>Nur Webadressen (http, https) werden geöffnet.</translation>
    </message>
</context>
<context>
    <name>DuplicateFinder</name>
    <message>
        <source>same mobile number %1</source>
        <translation>gleiche Mobilnummer %1</translation>
    </message>
    <message>
        <source>same home number %1</source>
        <translation>gleiche private Nummer %1</translation>
    </message>
    <message>
        <source>same work number %1</source>
        <translation>gleiche geschäftliche Nummer %1</translation>
    </message>
    <message>
        <source>same phone number %1</source>
        <translation>gleiche Telefonnummer %1</translation>
    </message>
    <message>
        <source>same name</source>
        <translation>gleicher Name</translation>
    </message>
    <message>
        <source>same name, parts swapped</source>
        <translation>gleicher Name, Teile vertauscht</translation>
    </message>
    <message>
        <source>same e-mail %1</source>
        <translation>gleiche E-Mail-Adresse %1</translation>
    </message>
    <message>
        <source>“%1” is part of “%2”</source>
        <translation>„%1“ ist Teil von „%2“</translation>
    </message>
</context>
<context>
    <name>DuplicateMerge</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Organization</source>
        <translation>Organisation</translation>
    </message>
    <message>
        <source>Birthday</source>
        <translation>Geburtstag</translation>
    </message>
    <message>
        <source>Photo</source>
        <translation>Foto</translation>
    </message>
</context>
<context>
    <name>DuplicatesForm</name>
    <message>
        <source>Find duplicates</source>
        <translation>Duplikate finden</translation>
    </message>
    <message>
        <source>Looking for duplicates…</source>
        <translation>Duplikate werden gesucht…</translation>
    </message>
    <message>
        <source>No duplicates found.</source>
        <translation>Keine Duplikate gefunden.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln group(s) of likely duplicates</source>
        <translation>
            <numerusform>%Ln Gruppe wahrscheinlicher Duplikate</numerusform>
            <numerusform>%Ln Gruppen wahrscheinlicher Duplikate</numerusform>
        </translation>
    </message>
    <message>
        <source>Likely duplicates</source>
        <translation>Wahrscheinliche Duplikate</translation>
    </message>
    <message>
        <source>Merged contact</source>
        <translation>Zusammengeführter Kontakt</translation>
    </message>
    <message>
        <source>%1 differs, keep which?</source>
        <translation>%1 unterscheidet sich, was behalten?</translation>
    </message>
    <message>
        <source>Photo %1</source>
        <translation>Foto %1</translation>
    </message>
    <message>
        <source>Merge</source>
        <translation>Zusammenführen</translation>
    </message>
    <message>
        <source>Not the same person</source>
        <translation>Nicht dieselbe Person</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>FileDialog</name>
    <message>
        <source>Choose image file</source>
        <translation>Bilddatei wählen</translation>
    </message>
    <message>
        <source>Image Files (*.jpeg *.jpg *.png *.gif)</source>
        <translation>Bilddateien (*.jpeg *.jpg *.png *.gif)</translation>
    </message>
    <message>
        <source>Export contacts</source>
        <translation>Kontakte exportieren</translation>
    </message>
    <message>
        <source>Choose csv, vcard or sqlite file</source>
        <translation>CSV-, vCard- oder SQLite-Datei wählen</translation>
    </message>
</context>
<context>
    <name>HeaderMain</name>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>Favoriten</translation>
    </message>
    <message>
        <source>Search: %1</source>
        <translation>Suche: %1</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suche</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Delete contacts</source>
        <translation>Kontakte löschen</translation>
    </message>
    <message>
        <source>Edit contact</source>
        <translation>Kontakt bearbeiten</translation>
    </message>
    <message>
        <source>Add contact</source>
        <translation>Kontakt hinzufügen</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>Gruppen</translation>
    </message>
    <message>
        <source>Show: %1</source>
        <translation>Anzeigen: %1</translation>
    </message>
</context>
<context>
    <name>HeaderOkCancel</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>ImportExport</name>
    <message>
        <source>Can&apos;t find any contacts in file.</source>
        <translation>In der Datei wurden keine Kontakte gefunden.</translation>
    </message>
    <message>
        <source>Unable to export into the address book in use: </source>
        <translation>Export in das verwendete Adressbuch nicht möglich: </translation>
    </message>
    <message>
        <source>Unable to open file for writing: </source>
        <translation>Die Datei kann nicht zum Schreiben geöffnet werden: </translation>
    </message>
    <message>
        <source>Unable to write file: </source>
        <translation>Die Datei kann nicht geschrieben werden: </translation>
    </message>
</context>
<context>
    <name>ImportExportForm</name>
    <message>
        <source>Nothing new: these contacts are already in the address book.</source>
        <translation>Nichts Neues: Diese Kontakte sind schon im Adressbuch.</translation>
    </message>
    <message>
        <source>Contacts successfully </source>
        <translation>Kontakte erfolgreich </translation>
    </message>
    <message>
        <source>exported.</source>
        <translation>exportiert.</translation>
    </message>
    <message>
        <source>imported.</source>
        <translation>importiert.</translation>
    </message>
    <message>
        <source>Exporting</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Importing</source>
        <translation>Import</translation>
    </message>
    <message>
        <source> contacts: </source>
        <translation> der Kontakte: </translation>
    </message>
    <message>
        <source>Choose contacts to </source>
        <translation>Wählen Sie die Kontakte zum </translation>
    </message>
    <message>
        <source>export:</source>
        <translation>Exportieren:</translation>
    </message>
    <message>
        <source>import:</source>
        <translation>Importieren:</translation>
    </message>
    <message>
        <source>All contacts</source>
        <translation>Alle Kontakte</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suche</translation>
    </message>
    <message>
        <source>Already in contacts</source>
        <translation>Schon in den Kontakten</translation>
    </message>
    <message>
        <source>Some letters could not be read: try another encoding</source>
        <translation>Einige Buchstaben waren nicht lesbar: Versuchen Sie eine andere Kodierung</translation>
    </message>
    <message>
        <source>Text codec:</source>
        <translation>Kodierung:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>LineEdit</name>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
</context>
<context>
    <name>LineEditForm</name>
    <message>
        <source>Type here...</source>
        <translation>Hier eingeben...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>ListViewForm</name>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>MenuButton</name>
    <message>
        <source>Button</source>
        <translation>Schaltfläche</translation>
    </message>
</context>
<context>
    <name>MessageForm</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>Photo</name>
    <message>
        <source>Choose existing picture...</source>
        <translation>Vorhandenes Bild wählen...</translation>
    </message>
    <message>
        <source>Photo</source>
        <translation>Foto</translation>
    </message>
    <message>
        <source>The picture “%1” cannot be used: it is damaged, too large or of a kind this program does not read.</source>
        <translation>Das Bild „%1“ kann nicht verwendet werden: Es ist beschädigt, zu groß oder von einer Art, die dieses Programm nicht liest.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Contacts</source>
        <translation>Kontakte</translation>
    </message>
    <message>
        <source>Initials: </source>
        <translation>Initialen: </translation>
    </message>
    <message>
        <source>Gender: </source>
        <translation>Geschlecht: </translation>
    </message>
    <message>
        <source>Location: </source>
        <translation>Ort: </translation>
    </message>
    <message>
        <source>Language: </source>
        <translation>Sprache: </translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Privat</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Arbeit</translation>
    </message>
    <message>
        <source>Mobile</source>
        <translation>Mobil</translation>
    </message>
    <message>
        <source>Pager: </source>
        <translation>Pager: </translation>
    </message>
    <message>
        <source> Fax: </source>
        <translation> Fax: </translation>
    </message>
    <message>
        <source> Street: </source>
        <translation> Straße: </translation>
    </message>
    <message>
        <source> PO Box: </source>
        <translation> Postfach: </translation>
    </message>
    <message>
        <source> City: </source>
        <translation> Ort: </translation>
    </message>
    <message>
        <source> State: </source>
        <translation> Bundesland: </translation>
    </message>
    <message>
        <source> Postal: </source>
        <translation> PLZ: </translation>
    </message>
    <message>
        <source>Country: </source>
        <translation>Land: </translation>
    </message>
    <message>
        <source>Spouse: </source>
        <translation>Ehepartner: </translation>
    </message>
    <message>
        <source>Children: </source>
        <translation>Kinder: </translation>
    </message>
    <message>
        <source>Manager&apos;s Name: </source>
        <translation>Vorgesetzte(r): </translation>
    </message>
    <message>
        <source>Assistant&apos;s Name: </source>
        <translation>Assistent(in): </translation>
    </message>
    <message>
        <source>Referred By: </source>
        <translation>Empfohlen von: </translation>
    </message>
    <message>
        <source>Business Fax: </source>
        <translation>Fax geschäftlich: </translation>
    </message>
    <message>
        <source>Organizational ID Number: </source>
        <translation>Personalnummer: </translation>
    </message>
    <message>
        <source>Profession: </source>
        <translation>Beruf: </translation>
    </message>
    <message>
        <source>Account: </source>
        <translation>Konto: </translation>
    </message>
    <message>
        <source>Callback: </source>
        <translation>Rückruf: </translation>
    </message>
    <message>
        <source>ISDN: </source>
        <translation>ISDN: </translation>
    </message>
    <message>
        <source>Radio Phone: </source>
        <translation>Funktelefon: </translation>
    </message>
    <message>
        <source>TTY/TDD Phone: </source>
        <translation>Texttelefon: </translation>
    </message>
    <message>
        <source>Telex: </source>
        <translation>Telex: </translation>
    </message>
    <message>
        <source>Keywords: </source>
        <translation>Stichwörter: </translation>
    </message>
    <message>
        <source>Mileage: </source>
        <translation>Reisekilometer: </translation>
    </message>
    <message>
        <source>Hobby: </source>
        <translation>Hobbys: </translation>
    </message>
    <message>
        <source>Billing Information: </source>
        <translation>Abrechnungsinformationen: </translation>
    </message>
    <message>
        <source>Marked</source>
        <translation>Marked</translation>
    </message>
    <message>
        <source>Occupation: </source>
        <translation>Tätigkeit: </translation>
    </message>
    <message>
        <source>Subject: </source>
        <translation>Betreff: </translation>
    </message>
    <message>
        <source>Organization Symbol: </source>
        <translation>Organisationssymbol: </translation>
    </message>
    <message>
        <source>Organization Location: </source>
        <translation>Standort der Organisation: </translation>
    </message>
    <message>
        <source>Job Description: </source>
        <translation>Tätigkeitsbeschreibung: </translation>
    </message>
    <message>
        <source>Fax: </source>
        <translation>Fax: </translation>
    </message>
    <message>
        <source>Main</source>
        <translation>Hauptnummer</translation>
    </message>
    <message>
        <source>Home fax</source>
        <translation>Fax privat</translation>
    </message>
    <message>
        <source>Work fax</source>
        <translation>Fax Arbeit</translation>
    </message>
    <message>
        <source>Pager</source>
        <translation>Pager</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Sonstige</translation>
    </message>
</context>
<context>
    <name>SceneSetup</name>
    <message>
        <source>The address book file cannot be opened: contacts are kept in the settings file for now.</source>
        <translation>Die Adressbuchdatei lässt sich nicht öffnen: Die Kontakte werden vorerst in der Einstellungsdatei aufbewahrt.</translation>
    </message>
</context>
<context>
    <name>SettingsForm</name>
    <message>
        <source>english</source>
        <translation>englisch</translation>
    </message>
    <message>
        <source>name</source>
        <translation>Vorname</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Alphabetical Index: </source>
        <translation>Buchstabenindex: </translation>
    </message>
    <message>
        <source>russian</source>
        <translation>russisch</translation>
    </message>
    <message>
        <source>Sorted by: </source>
        <translation>Sortiert nach: </translation>
    </message>
    <message>
        <source>surname</source>
        <translation>Nachname</translation>
    </message>
    <message>
        <source>Import contacts</source>
        <translation>Kontakte importieren</translation>
    </message>
    <message>
        <source>Find duplicates…</source>
        <translation>Duplikate finden…</translation>
    </message>
    <message>
        <source>CardDAV account: </source>
        <translation>CardDAV-Konto: </translation>
    </message>
    <message>
        <source>none</source>
        <translation>keines</translation>
    </message>
    <message>
        <source>Google CSV format</source>
        <translation>Google-CSV-Format</translation>
    </message>
    <message>
        <source>vCard format</source>
        <translation>vCard-Format</translation>
    </message>
    <message>
        <source>kiv-contacts format</source>
        <translation>kiv-contacts-Format</translation>
    </message>
    <message>
        <source>Export contacts</source>
        <translation>Kontakte exportieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>There is a group “%1” already.</source>
        <translation>Die Gruppe „%1“ gibt es schon.</translation>
    </message>
    <message>
        <source>A group needs a name.</source>
        <translation>Eine Gruppe braucht einen Namen.</translation>
    </message>
    <message>
        <source>There is a group “%1” already. Put the contacts of “%2” into it?</source>
        <translation>Die Gruppe „%1“ gibt es schon. Die Kontakte von „%2“ dorthin übernehmen?</translation>
    </message>
    <message>
        <source>Join</source>
        <translation>Zusammenführen</translation>
    </message>
    <message>
        <source>Delete the group “%1”? Its contacts stay in the address book.</source>
        <translation>Die Gruppe „%1“ löschen? Ihre Kontakte bleiben im Adressbuch.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>GROUPS</source>
        <translation>GRUPPEN</translation>
    </message>
    <message>
        <source>New group…</source>
        <translation>Neue Gruppe…</translation>
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
        <translation>Gruppe %1 umbenennen</translation>
    </message>
    <message>
        <source>Delete the group %1</source>
        <translation>Gruppe %1 löschen</translation>
    </message>
</context>
<context>
    <name>SqliteDatabase</name>
    <message>
        <source>the address book is in use by another program</source>
        <translation>das Adressbuch wird von einem anderen Programm verwendet</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>die Datei ist schreibgeschützt</translation>
    </message>
    <message>
        <source>Unable to save changes: </source>
        <translation>Die Änderungen können nicht gespeichert werden: </translation>
    </message>
    <message>
        <source>The address book is in use by another program: waiting…</source>
        <translation>Das Adressbuch wird von einem anderen Programm verwendet: Warten…</translation>
    </message>
    <message>
        <source>Unable to open the address book: </source>
        <translation>Das Adressbuch kann nicht geöffnet werden: </translation>
    </message>
</context>
<context>
    <name>StoreStatus</name>
    <message>
        <source>Retry</source>
        <translation>Erneut versuchen</translation>
    </message>
</context>
<context>
    <name>SyncStatus</name>
    <message>
        <source>Sync failed: %1</source>
        <translation>Abgleich fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Account settings</source>
        <translation>Kontoeinstellungen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TextDecoding</name>
    <message>
        <source>Cyrillic (Windows-1251)</source>
        <translation>Kyrillisch (Windows-1251)</translation>
    </message>
    <message>
        <source>Unicode (UTF-8)</source>
        <translation>Unicode (UTF-8)</translation>
    </message>
    <message>
        <source>Unicode (UTF-16)</source>
        <translation>Unicode (UTF-16)</translation>
    </message>
    <message>
        <source>Unicode (UTF-32)</source>
        <translation>Unicode (UTF-32)</translation>
    </message>
    <message>
        <source>Western European (Windows-1252)</source>
        <translation>Westeuropäisch (Windows-1252)</translation>
    </message>
    <message>
        <source>Western European (ISO-8859-1)</source>
        <translation>Westeuropäisch (ISO-8859-1)</translation>
    </message>
    <message>
        <source>Western European (ISO-8859-15)</source>
        <translation>Westeuropäisch (ISO-8859-15)</translation>
    </message>
    <message>
        <source>Central European (Windows-1250)</source>
        <translation>Mitteleuropäisch (Windows-1250)</translation>
    </message>
    <message>
        <source>Central European (ISO-8859-2)</source>
        <translation>Mitteleuropäisch (ISO-8859-2)</translation>
    </message>
    <message>
        <source>Cyrillic (KOI8-R)</source>
        <translation>Kyrillisch (KOI8-R)</translation>
    </message>
    <message>
        <source>Ukrainian (KOI8-U)</source>
        <translation>Ukrainisch (KOI8-U)</translation>
    </message>
    <message>
        <source>Cyrillic DOS (IBM866)</source>
        <translation>Kyrillisch DOS (IBM866)</translation>
    </message>
    <message>
        <source>Greek (Windows-1253)</source>
        <translation>Griechisch (Windows-1253)</translation>
    </message>
    <message>
        <source>Turkish (Windows-1254)</source>
        <translation>Türkisch (Windows-1254)</translation>
    </message>
    <message>
        <source>Baltic (Windows-1257)</source>
        <translation>Baltisch (Windows-1257)</translation>
    </message>
    <message>
        <source>Japanese (Shift_JIS)</source>
        <translation>Japanisch (Shift_JIS)</translation>
    </message>
    <message>
        <source>Japanese (EUC-JP)</source>
        <translation>Japanisch (EUC-JP)</translation>
    </message>
    <message>
        <source>Chinese Simplified (GB18030)</source>
        <translation>Chinesisch vereinfacht (GB18030)</translation>
    </message>
    <message>
        <source>Chinese Traditional (Big5)</source>
        <translation>Chinesisch traditionell (Big5)</translation>
    </message>
    <message>
        <source>Korean (EUC-KR)</source>
        <translation>Koreanisch (EUC-KR)</translation>
    </message>
    <message>
        <source>Western European (Mac Roman)</source>
        <translation>Westeuropäisch (Mac Roman)</translation>
    </message>
</context>
<context>
    <name>UndoBar</name>
    <message>
        <source>1 contact deleted</source>
        <translation>1 Kontakt gelöscht</translation>
    </message>
    <message numerus="yes">
        <source>%Ln contacts deleted</source>
        <translation>
            <numerusform>%Ln Kontakt gelöscht</numerusform>
            <numerusform>%Ln Kontakte gelöscht</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln contacts merged</source>
        <translation>
            <numerusform>%Ln Kontakt zusammengeführt</numerusform>
            <numerusform>%Ln Kontakte zusammengeführt</numerusform>
        </translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message numerus="yes">
        <source>Are you really want to delete %Ln contact.?</source>
        <translation>
            <numerusform>Wirklich %Ln Kontakt löschen?</numerusform>
            <numerusform>Wirklich %Ln Kontakte löschen?</numerusform>
        </translation>
    </message>
    <message>
        <source>Can not save contact without name.</source>
        <translation>Ein Kontakt ohne Namen kann nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Quit and lose them</source>
        <translation>Beenden und verwerfen</translation>
    </message>
    <message>
        <source>Keep waiting</source>
        <translation>Weiter warten</translation>
    </message>
    <message>
        <source>Save the changes to this contact before quitting?</source>
        <translation>Die Änderungen an diesem Kontakt vor dem Beenden speichern?</translation>
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
        <translation>Umgebungsvariablen:
  KIV_PHONE_LOW_EFFECTS         Jeder Wert außer leer, 0 oder false zeichnet die
                                Szenen ohne Schatten und andere Effekte.
  KIV_TABLET_MODE               1, true oder yes: große Zeilen zum Antippen
                                und ein maximiertes Fenster.
  LANGUAGE, LC_ALL, LC_MESSAGES, LANG
                                Die Sprache des Fensters: Deutsch, Englisch
                                oder Russisch.

Dateien:
  ~/.config/kiv-phone.sqlite    Das Adressbuch; ein älteres kiv-contacts.sqlite
                                daneben wird durch Umbenennen übernommen.
  ~/.config/kiv/Contacts.conf   Einstellungen (in $XDG_CONFIG_HOME/kiv, wenn
                                XDG_CONFIG_HOME gesetzt ist): Buchstabenindex,
                                Sortierung, Bezeichnungen, Fenster und
                                CardDAV-Konto; auch die Kontakte, solange sich
                                das Adressbuch nicht öffnen lässt. Das Passwort
                                liegt im Schlüsselbund des Desktops.

Rückgabewert:
  0                             Das Fenster wurde geschlossen.
  1                             Die Befehlszeile wurde nicht verstanden.
  255                           Kiv Contacts lief bereits: Sein Fenster wurde
                                nach vorn geholt.
</translation>
    </message>
    <message>
        <source>Show contact with &lt;contactId&gt;.</source>
        <translation>Den Kontakt mit &lt;Kontakt-ID&gt; anzeigen.</translation>
    </message>
    <message>
        <source>contactId</source>
        <translation>Kontakt-ID</translation>
    </message>
</context>
</TS>
