#pragma once

#include <QString>

class Dataset;

namespace masterdata {

// Re-positions a register list on a remembered code. The lists are located case-insensitively on
// a partial key, so an empty code lands on the first row; a code that is itself present wins over
// a longer one that merely begins with it ("1" must not land on "15").
void locateCode(Dataset& list, const QString& field, const QString& code);

}  // namespace masterdata
