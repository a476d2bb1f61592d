#include "core/entrymode.h"

QString entryCaption(EntrySubject subject, EntryMode mode)
{
    const bool change = mode == EntryMode::Change;
    switch (subject) {
    case EntrySubject::Carrier:
        return change ? QStringLiteral("Szállító módositás") : QStringLiteral("Szállító");
    case EntrySubject::Partner:
        return change ? QStringLiteral("Feladó módositás") : QStringLiteral("Feladó-Vevö");
    case EntrySubject::Arrival:
        return change ? QStringLiteral("Fülszám módositás") : QStringLiteral("Fülszám bevitel (beszállítás)");
    case EntrySubject::Departure:
        return change ? QStringLiteral("Fülszám módositás") : QStringLiteral("Fülszám bevitel (kiszállitás)");
    }
    return {};
}
