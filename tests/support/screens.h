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

#include <QColor>
#include <QHash>
#include <QImage>
#include <QWidget>

#include <cmath>

// What the eye gets of a field as drawn: its most frequent colour (the background) and the colour
// that stands out most from it (the text).
struct DrawnColours {
    QColor background;
    QColor text;
    // The contrast ratio of the text on the background, as accessibility guidelines count it.
    double contrast() const
    {
        const auto luminance = [](const QColor& c) {
            const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
        };
        const double a = luminance(background), b = luminance(text);
        return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
    }
};

inline DrawnColours drawnColours(QWidget* w)
{
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    // The inner part only: the frame is no background.
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
            ++counts[image.pixel(x, y)];
    DrawnColours out;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            out.background = QColor(it.key());
        }
    double best = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        DrawnColours candidate{out.background, QColor(it.key())};
        if (candidate.contrast() > best) {
            best = candidate.contrast();
            out.text = candidate.text;
        }
    }
    return out;
}
