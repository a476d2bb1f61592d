#pragma once

// Finding a screen's controls the way the tests reach them: by the objectName the program's
// documentation gives them (Edit4, Button5, DBText6).

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QString>

// The control of the screen with that objectName; the test program stops when there is none.
template <typename T = QWidget>
T* child(const QObject* screen, const char* name)
{
    T* c = screen->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return c;
}

inline QLineEdit* edit(const QObject* screen, const char* name) { return child<QLineEdit>(screen, name); }
inline QPushButton* button(const QObject* screen, const char* name) { return child<QPushButton>(screen, name); }
inline QCheckBox* checkBox(const QObject* screen, const char* name) { return child<QCheckBox>(screen, name); }
// What a label or a bound text (DBText) shows.
inline QString shown(const QObject* screen, const char* name) { return child<QLabel>(screen, name)->text(); }

// The refusal of a text the database cannot hold, as the person reads it: the field by its
// caption, the character shown as it is with its code.
inline QString unstorableTextMessage(const QString& field, const QString& shownCharacter)
{
    return QStringLiteral("A(z) \"%1\" mezőben álló %2 karaktert az adatbázis nem tudja tárolni. "
                          "Semmi sem került mentésre; javítsa a mezőt, és mentse újra!")
        .arg(field, shownCharacter);
}
