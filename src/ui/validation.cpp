#include "ui/validation.h"

#include "core/convert.h"
#include "core/dataset.h"
#include "db/charset.h"
#include "db/error.h"
#include "ui/platform.h"

#include <QLabel>
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

QString fieldCaption(const QLineEdit* field)
{
    for (const QLabel* label : field->window()->findChildren<QLabel*>()) {
        if (label->buddy() != field)
            continue;
        QString caption = label->text();
        caption.remove(u'&');
        caption = caption.trimmed();
        if (caption.endsWith(u':'))
            caption.chop(1);
        return caption.trimmed();
    }
    return field->accessibleName().isEmpty() ? field->objectName() : field->accessibleName();
}

void bindText(Dataset& query, const QString& name, const QLineEdit* field)
{
    query.setParamText(name, field->text(), fieldCaption(field));
}

void requireStorable(std::initializer_list<const QLineEdit*> fields)
{
    for (const QLineEdit* field : fields)
        if (const qsizetype bad = fb::firstUnstorable(field->text()); bad >= 0)
            throw fb::UnstorableText(field->text(), bad, fieldCaption(field));
}

bool sayUnstorableText(QWidget* screen, const std::exception& e)
{
    const auto* refused = dynamic_cast<const fb::UnstorableText*>(&e);
    if (!refused)
        return false;
    platform::showMessage(screen, refused->message());
    return true;
}

}  // namespace validation
