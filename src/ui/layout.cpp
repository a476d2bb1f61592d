#include "ui/layout.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

void fixAndCentre(QDialog* dialog, const QSize& minimum)
{
    if (dialog->layout())
        dialog->layout()->activate();
    dialog->setFixedSize(dialog->sizeHint().expandedTo(dialog->minimumSizeHint()).expandedTo(minimum));
    if (QScreen* s = QGuiApplication::primaryScreen())
        dialog->move(s->availableGeometry().center() - dialog->rect().center());
}

QLabel* buddyLabel(const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption, buddy->parentWidget());
    label->setObjectName(buddy->objectName() + QStringLiteral("Label"));
    label->setBuddy(buddy);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& objectName, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

void makeShownOnly(QLineEdit* edit, FieldShade shade)
{
    edit->setReadOnly(true);
    edit->setEnabled(false);
    // Near-black on silver is about 10 : 1, on the window's grey about 14 : 1.
    const QString text = QStringLiteral("QLineEdit:disabled { color: #1a1a1a; }");
    edit->setStyleSheet(shade == FieldShade::Silver ? QStringLiteral("QLineEdit { background-color: silver; } ") + text
                                                    : text);
}
