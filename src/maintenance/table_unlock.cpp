#include "maintenance/table_unlock.h"

#include "storage/shared_datasets.h"

#include <QCryptographicHash>

namespace maintenance {

namespace {
// The passwords are kept only as SHA-256 hashes of a salt followed by the password (UTF-8), so the
// program file does not show them.
struct Password {
    const char* salt;
    const char* sha256;
    TableAccess access;
};
constexpr Password kPasswords[] = {
    {"Gerundo/Adatok/kilenc/7f3a91c2", "5ec58e3362f197240170c34cf50482e7a657de232c13874e07d9aa43d1b6c26c",
     TableAccess::AllButPartner},
    {"Gerundo/Adatok/tiz/c05e6b1d", "66a30729757b4d08ebd8a5833eae853e316af300efa3f1d00cd9aaff59508d39",
     TableAccess::All},
};
}  // namespace

TableAccess accessFor(const QString& answer)
{
    for (const Password& p : kPasswords) {
        const QByteArray hash =
            QCryptographicHash::hash(QByteArray(p.salt) + answer.toUtf8(), QCryptographicHash::Sha256).toHex();
        if (hash == p.sha256)
            return p.access;
    }
    return TableAccess::None;
}

void unlockTables(TableAccess access)
{
    if (access == TableAccess::None)
        return;
    const std::vector<TableDataset*> tables = Data->tables();
    // PARTNER is the last of the ten.
    const size_t writable = access == TableAccess::All ? tables.size() : tables.size() - 1;
    for (size_t i = 0; i < writable; ++i)
        tables[i]->setReadOnly(false);
    Data->reopenTables();
}

}  // namespace maintenance
