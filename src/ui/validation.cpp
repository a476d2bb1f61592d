#include "ui/validation.h"

#include "core/convert.h"
#include "ui/platform.h"

#include <QLineEdit>

namespace validation {

bool refuse(QWidget* screen, const QString& message, QWidget* focus)
{
    platform::showMessage(screen, message);
    focus->setFocus();
    return false;
}

bool requireFilled(QWidget* screen, std::initializer_list<Required> fields)
{
    for (const Required& r : fields) {
        if (convert::isBlank(r.field->text()))
            return refuse(screen, r.message, r.focus ? r.focus : r.field);
    }
    return true;
}

}  // namespace validation
