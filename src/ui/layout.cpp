#include "ui/layout.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
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
    label->setObjectName(QStringLiteral("Label_") + buddy->objectName());
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
