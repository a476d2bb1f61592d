#include "ui/layout.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

void fixAndCentre(QDialog* dialog, const QSize& minimum)
{
    if (dialog->layout())
        dialog->layout()->activate();
    dialog->setFixedSize(dialog->sizeHint().expandedTo(dialog->minimumSizeHint()).expandedTo(minimum));
    if (QScreen* s = QGuiApplication::primaryScreen())
        dialog->move(s->availableGeometry().center() - dialog->rect().center());
}
