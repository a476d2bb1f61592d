#include "masterdata/listsupport.h"

#include "core/dataset.h"

namespace masterdata {

void locateCode(Dataset& list, const QString& field, const QString& code)
{
    if (!list.active())
        return;
    if (!code.isEmpty() && list.locate(field, code, {true, false}))
        return;
    list.locate(field, code, {true, true});
}

}  // namespace masterdata
