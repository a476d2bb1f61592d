#include "masterdata/listsupport.h"

#include "core/dataset.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

namespace masterdata {

void locateCode(Dataset& list, const QString& field, const QString& code)
{
    if (!list.active())
        return;
    if (!code.isEmpty() && list.locate(field, code, {true, false}))
        return;
    list.locate(field, code, {true, true});
}

void fixAndCentre(QDialog* dialog)
{
    if (dialog->layout())
        dialog->layout()->activate();
    dialog->setFixedSize(dialog->sizeHint().expandedTo(dialog->minimumSizeHint()));
    if (QScreen* s = QGuiApplication::primaryScreen())
        dialog->move(s->availableGeometry().center() - dialog->rect().center());
}

}  // namespace masterdata
