<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>CardDavAccount</name>
    <message numerus="yes">
        <source>%n contacts were changed here and on the server: both versions are kept</source>
        <translation>
            <numerusform>%n contact was changed here and on the server: both versions are kept</numerusform>
            <numerusform>%n contacts were changed here and on the server: both versions are kept</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CardDavSync</name>
    <message numerus="yes">
        <source>%n card(s) on the server cannot be read, first: %1</source>
        <translation>
            <numerusform>%n card on the server cannot be read: %1</numerusform>
            <numerusform>%n cards on the server cannot be read, first: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n card(s) on the server are too large, first: %1</source>
        <translation>
            <numerusform>%n card on the server is too large: %1</numerusform>
            <numerusform>%n cards on the server are too large, first: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n card(s) named outside the address book were ignored, first: %1</source>
        <translation>
            <numerusform>%n card named outside the address book was ignored: %1</numerusform>
            <numerusform>%n cards named outside the address book were ignored, first: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DataBase</name>
    <message numerus="yes">
        <source>Changes to %n contact(s) could not be saved yet: %1</source>
        <translation>
            <numerusform>Changes to %n contact could not be saved yet: %1</numerusform>
            <numerusform>Changes to %n contacts could not be saved yet: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Changes to %n contact(s) were not saved when Kiv Contacts was last closed.</source>
        <translation>
            <numerusform>Changes to %n contact were not saved when Kiv Contacts was last closed.</numerusform>
            <numerusform>Changes to %n contacts were not saved when Kiv Contacts was last closed.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DuplicatesForm</name>
    <message numerus="yes">
        <source>%Ln group(s) of likely duplicates</source>
        <translation>
            <numerusform>%Ln group of likely duplicates</numerusform>
            <numerusform>%Ln groups of likely duplicates</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>UndoBar</name>
    <message numerus="yes">
        <source>%Ln contacts merged</source>
        <translation>
            <numerusform>%Ln contacts merged</numerusform>
            <numerusform>%Ln contacts merged</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln contacts deleted</source>
        <translation>
            <numerusform>%Ln contact deleted</numerusform>
            <numerusform>%Ln contacts deleted</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>main</name>
    <message numerus="yes">
        <source>Are you really want to delete %Ln contact.?</source>
        <translation>
            <numerusform>Are you really want to delete %Ln contact.?</numerusform>
            <numerusform>Are you really want to delete %Ln contact.?</numerusform>
        </translation>
    </message>
</context>
</TS>
