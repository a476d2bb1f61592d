#include "db/error.h"

#include <ibase.h>

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

namespace fb {

namespace {

bool anyOf(const std::vector<long>& codes, std::initializer_list<long> wanted)
{
    return std::any_of(wanted.begin(), wanted.end(),
                       [&](long c) { return std::find(codes.begin(), codes.end(), c) != codes.end(); });
}

std::vector<long> codesOf(const std::vector<StatusEntry>& entries)
{
    std::vector<long> codes;
    for (const StatusEntry& e : entries)
        codes.push_back(e.code);
    return codes;
}

}  // namespace

Error::Error(const QString& message, long code, std::vector<long> codes)
    : std::runtime_error(message.toStdString()), m_message(message), m_code(code), m_codes(std::move(codes))
{
    if (m_codes.empty() && code != 0)
        m_codes.push_back(code);
}

Error::Error(std::vector<StatusEntry> entries, const QString& engineText)
    : Error(engineMessage(entries), entries.empty() ? 0 : entries.front().code, codesOf(entries))
{
    m_engineText = engineText;
    m_entries = std::move(entries);
}

bool Error::hasCode(long code) const
{
    return std::find(m_codes.begin(), m_codes.end(), code) != m_codes.end();
}

QString Error::argument(long code, int index) const
{
    for (const StatusEntry& e : m_entries)
        if (e.code == code && index < e.arguments.size())
            return e.arguments.at(index);
    return {};
}

bool Error::isLockConflict() const
{
    return anyOf(m_codes, {isc_deadlock, isc_lock_conflict, isc_update_conflict, isc_read_conflict});
}

QString invalidIntegerMessage(const QString& value, const QString& field)
{
    const QString base = QStringLiteral("Érvénytelen egész szám: „%1”").arg(value);
    return field.isEmpty() ? base : base + QStringLiteral(" (mező: %1)").arg(field);
}

QString invalidDateMessage(const QString& value, const QString& field)
{
    const QString base = QStringLiteral("Érvénytelen dátum: „%1”").arg(value);
    return field.isEmpty() ? base : base + QStringLiteral(" (mező: %1)").arg(field);
}

QString notConnectedMessage()
{
    return QStringLiteral("Nincs kapcsolat az adatbázissal: a művelet nem hajtható végre.");
}

namespace {

// The operating system's error numbers the engine passes on with a failed file operation.
QString systemReason(int number)
{
    switch (number) {
    case ENOENT: return QStringLiteral("a fájl vagy a mappája nem létezik");
    case EACCES:
    case EPERM: return QStringLiteral("nincs hozzá jogosultság");
    case ENOSPC: return QStringLiteral("betelt a lemez");
    case EDQUOT: return QStringLiteral("elfogyott a felhasználó lemezkvótája");
    case EIO: return QStringLiteral("a lemez olvasása vagy írása nem sikerült (lemezhiba)");
    case EROFS: return QStringLiteral("a lemez csak olvasható");
    case EAGAIN:
    case EBUSY: return QStringLiteral("a fájlt egy másik program használja");
    case EISDIR: return QStringLiteral("ez mappa, nem fájl");
    case ENOTDIR: return QStringLiteral("az útvonal egy része nem mappa");
    case EMFILE:
    case ENFILE: return QStringLiteral("túl sok fájl van nyitva");
    case ENOMEM: return QStringLiteral("elfogyott a memória");
    case ENAMETOOLONG: return QStringLiteral("a fájl neve túl hosszú");
    case ESTALE:
    case ENOTCONN:
    case ENETDOWN:
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ECONNREFUSED:
    case ECONNRESET:
    case ETIMEDOUT: return QStringLiteral("a hálózati kapcsolat megszakadt vagy nem jön létre");
    default: return QStringLiteral("a rendszer %1. számú hibája").arg(number);
    }
}

QString fileOperation(const QString& engineWord)
{
    const QString w = engineWord.toLower();
    if (w == u"open") return QStringLiteral("megnyitása");
    if (w == u"read") return QStringLiteral("olvasása");
    if (w == u"write") return QStringLiteral("írása");
    if (w == u"create") return QStringLiteral("létrehozása");
    if (w == u"close") return QStringLiteral("lezárása");
    if (w == u"fsync" || w == u"flush") return QStringLiteral("lemezre írása");
    if (w == u"lseek" || w == u"seek") return QStringLiteral("olvasása");
    if (w == u"lock" || w == u"flock") return QStringLiteral("zárolása");
    if (w == u"unlink" || w == u"remove") return QStringLiteral("törlése");
    if (w == u"access") return QStringLiteral("elérése");
    return QStringLiteral("kezelése");
}

// ("SKOD" = '1') as the person reads it: SKOD = 1.
QString keyValueText(const QString& engineKey)
{
    static const QRegularExpression pair(QStringLiteral("\"([^\"]+)\"\\s*=\\s*('([^']*)'|[^,)]+)"));
    QStringList parts;
    for (auto it = pair.globalMatch(engineKey); it.hasNext();) {
        const auto m = it.next();
        const QString value = m.capturedStart(3) >= 0 ? m.captured(3) : m.captured(2).trimmed();
        parts << QStringLiteral("%1 = %2").arg(m.captured(1), value);
    }
    return parts.isEmpty() ? engineKey : parts.join(QStringLiteral(", "));
}

}  // namespace

QString engineMessage(const std::vector<StatusEntry>& entries)
{
    const std::vector<long> codes = codesOf(entries);
    const auto has = [&](long code) { return std::find(codes.begin(), codes.end(), code) != codes.end(); };
    const auto arg = [&](long code, int index) {
        for (const StatusEntry& e : entries)
            if (e.code == code && index < e.arguments.size())
                return e.arguments.at(index);
        return QString();
    };
    const auto osReason = [&]() -> QString {
        for (const StatusEntry& e : entries)
            for (const QString& a : e.arguments)
                if (a.startsWith(u"os:"))
                    return systemReason(a.mid(3).toInt());
        return {};
    };
    const auto withReason = [&](const QString& sentence) {
        const QString why = osReason();
        return why.isEmpty() ? sentence + u'.' : QStringLiteral("%1: %2.").arg(sentence, why);
    };
    const QString key = arg(isc_idx_key_value, 0);
    const QString keyPart = key.isEmpty() ? QString() : QStringLiteral(" Ütköző érték: %1.").arg(keyValueText(key));

    // Another desk (or another screen's transaction) holds the row or the table.
    if (anyOf(codes, {isc_deadlock, isc_update_conflict, isc_lock_conflict, isc_read_conflict,
                      isc_concurrent_transaction, isc_lock_timeout}))
        return QStringLiteral("A sort vagy a táblát most egy másik felhasználó (vagy egy másik gép) módosítja, ezért a "
                              "változtatás nem menthető. Próbálja újra később!");
    if (has(isc_unique_key_violation))
        return QStringLiteral("Ez az érték már szerepel a(z) %1 táblában, és ott nem lehet két egyforma (egyedi kulcs: "
                              "%2).%3")
            .arg(arg(isc_unique_key_violation, 1), arg(isc_unique_key_violation, 0), keyPart);
    if (has(isc_no_dup))
        return QStringLiteral("Ez az érték már szerepel, és itt nem lehet két egyforma (egyedi index: %1).%2")
            .arg(arg(isc_no_dup, 0), keyPart);
    if (anyOf(codes, {isc_foreign_key, isc_foreign_key_target_doesnt_exist, isc_foreign_key_references_present,
                      isc_primary_key_ref}))
        return QStringLiteral("A sor egy másik táblához kapcsolódik, ezért így nem menthető vagy nem törölhető "
                              "(kapcsolat: %1).%2")
            .arg(arg(isc_foreign_key, 0).isEmpty() ? arg(isc_primary_key_ref, 0) : arg(isc_foreign_key, 0), keyPart);
    if (has(isc_not_valid)) {
        const QString column = arg(isc_not_valid, 0);
        const QString value = arg(isc_not_valid, 1);
        if (value.contains(u"null"))
            return QStringLiteral("A(z) %1 mező nem maradhat üresen.").arg(column);
        return QStringLiteral("A(z) %1 mezőben a(z) „%2” érték nem megengedett.").arg(column, value);
    }
    if (has(isc_check_constraint))
        return QStringLiteral("A(z) %1 tábla nem fogadja el ezt az értéket (feltétel: %2).")
            .arg(arg(isc_check_constraint, 1), arg(isc_check_constraint, 0));
    if (has(isc_string_truncation) || has(isc_trunc_limits)) {
        const QString limit = arg(isc_trunc_limits, 0);
        const QString actual = arg(isc_trunc_limits, 1);
        if (!limit.isEmpty() && actual.toLongLong() > limit.toLongLong())
            return QStringLiteral("A szöveg hosszabb, mint amit az oszlopa tárol: legfeljebb %1 karakter fér el, a "
                                  "szöveg %2 karakteres.")
                .arg(limit, actual);
        if (!limit.isEmpty())
            return QStringLiteral("A szöveg hosszabb, mint amit az oszlopa tárol: legfeljebb %1 karakter fér el.")
                .arg(limit);
        return QStringLiteral("A szöveg hosszabb, mint amit az oszlopa tárol.");
    }
    if (anyOf(codes, {isc_exception_integer_divide_by_zero, isc_exception_float_divide_by_zero}))
        return QStringLiteral("Számítási hiba: osztás nullával.");
    if (anyOf(codes, {isc_numeric_out_of_range, isc_exception_integer_overflow, isc_exception_float_overflow}))
        return QStringLiteral("Egy szám túl nagy ahhoz, hogy az oszlopa tárolja.");
    if (has(isc_arith_except))
        return QStringLiteral("Egy szám túl nagy vagy egy szöveg túl hosszú ahhoz, hogy az oszlopa tárolja.");
    if (has(isc_convert_error))
        return QStringLiteral("Érvénytelen szám vagy dátum: „%1” (az adatbázis nem tudja átalakítani).")
            .arg(arg(isc_convert_error, 0));
    if (has(isc_date_range_exceeded))
        return QStringLiteral("A dátum kívül esik azon, amit az adatbázis tárolni tud.");
    if (anyOf(codes, {isc_transliteration_failed, isc_malformed_string}))
        return QStringLiteral("A szövegben olyan karakter áll, amelyet az adatbázis (WIN1250 kódolás) nem tud tárolni.");
    if (anyOf(codes, {isc_except, isc_except2})) {
        // The exception's name comes first, then its own text (the schema's, not for the person).
        const QString name = arg(isc_random, 0);
        if (name == u"GERUNDO_CODES_EXHAUSTED")
            return QStringLiteral("A táblában elfogytak az ötkarakteres kódok: új sor nem vehető fel.");
        return QStringLiteral("Az adatbázis nem engedi ezt a műveletet (%1).").arg(name);
    }
    if (anyOf(codes, {isc_read_only_trans, isc_read_only_database, isc_read_only}))
        return QStringLiteral("Az adatbázis most csak olvasható, nem írható.");
    if (has(isc_no_priv))
        return QStringLiteral("Ehhez a művelethez nincs jogosultság az adatbázisban (%1 %2).")
            .arg(arg(isc_no_priv, 1), arg(isc_no_priv, 2));
    if (has(isc_login) || has(isc_login_error))
        return QStringLiteral("Az adatbázis nem fogadta el a felhasználó nevét vagy jelszavát.");
    // The file and the connection.
    if (has(isc_bad_db_format))
        return QStringLiteral("A(z) „%1” nem adatbázisfájl, vagy sérült.").arg(arg(isc_bad_db_format, 0));
    if (anyOf(codes, {isc_wrong_ods, isc_badodsver}))
        return QStringLiteral("Az adatbázisfájlt a Firebird egy másik változata készítette, ez a program nem tudja "
                              "megnyitni.");
    if (has(isc_io_error))
        return withReason(QStringLiteral("A(z) „%1” fájl %2 nem sikerült")
                              .arg(arg(isc_io_error, 1), fileOperation(arg(isc_io_error, 0))));
    if (has(isc_lock_dir_access))
        return QStringLiteral("Az adatbázis-kezelő zárolási mappája (%1) nem érhető el.").arg(arg(isc_lock_dir_access, 0));
    if (anyOf(codes, {isc_network_error, isc_net_connect_err, isc_net_lookup_err, isc_connect_reject,
                      isc_net_connect_listen_err}))
        return QStringLiteral("Nem érhető el az adatbázis-kiszolgáló%1: a hálózat vagy a kiszolgáló nem válaszol.")
            .arg(arg(isc_network_error, 0).isEmpty() ? QString() : QStringLiteral(" („%1”)").arg(arg(isc_network_error, 0)));
    if (anyOf(codes, {isc_net_read_err, isc_net_write_err, isc_lost_db_connection, isc_conn_lost, isc_att_shutdown,
                      isc_shutdown, isc_shutinprog, isc_net_server_shutdown, isc_bad_db_handle}))
        return QStringLiteral("Megszakadt a kapcsolat az adatbázissal. A be nem fejezett munka elveszett; indítsa újra a "
                              "programot!");
    if (has(isc_unavailable))
        return QStringLiteral("Az adatbázis-kezelő nem érhető el.");
    if (has(isc_max_att_exceeded))
        return QStringLiteral("Az adatbázishoz már túl sok program kapcsolódik.");
    if (has(isc_obj_in_use))
        return QStringLiteral("A(z) %1 objektumot most egy másik kapcsolat használja.").arg(arg(isc_obj_in_use, 0));
    if (has(isc_virmemexh))
        return QStringLiteral("Az adatbázis-kezelőnek elfogyott a memóriája.");
    if (anyOf(codes, {isc_db_corrupt, isc_bug_check, isc_badpage, isc_bad_checksum}))
        return QStringLiteral("Az adatbázis-kezelő belső hibát vagy sérült adatbázisfájlt jelzett (hibakód: %1). "
                              "Készítsen mentést, és ellenőriztesse a fájlt!")
            .arg(codes.front());
    if (anyOf(codes, {isc_lockmanerr, isc_sys_request}))
        return withReason(QStringLiteral("Az adatbázis-kezelő egy rendszerművelete nem sikerült"));
    if (has(isc_open_trans))
        return QStringLiteral("A kapcsolat nem zárható le, amíg nyitott tranzakció van.");
    if (has(isc_db_or_file_exists))
        return QStringLiteral("Az adatbázisfájl már létezik.");
    if (has(isc_sing_select_err))
        return QStringLiteral("Egy lekérdezés több sort adott, mint ahányat a művelet vár.");
    if (anyOf(codes, {isc_no_cur_rec, isc_stream_eof}))
        return QStringLiteral("Nincs olyan sor, amelyen a művelet dolgozhatna.");
    // Statements the engine cannot run: a table or column missing from an older database, say.
    if (has(isc_dsql_relation_err) || has(isc_dsql_table_not_found))
        return QStringLiteral("Az adatbázisban nincs %1 tábla (régebbi adatbázis?).").arg(arg(isc_random, 0));
    if (has(isc_dsql_field_err))
        return QStringLiteral("Az adatbázisban nincs %1 oszlop (régebbi adatbázis?).").arg(arg(isc_random, 0));
    if (has(isc_dsql_procedure_err))
        return QStringLiteral("Az adatbázisban nincs %1 eljárás vagy függvény.").arg(arg(isc_random, 0));
    if (has(isc_dsql_error) || has(isc_sqlerr))
        return QStringLiteral("Az adatbázis nem tudja végrehajtani a program egyik utasítását (hibakód: %1).")
            .arg(codes.size() > 1 ? codes.at(codes.size() - 1) : codes.front());
    if (!codes.empty() && codes.front() >= isc_gbak_unknown_switch && codes.front() < isc_gbak_unknown_switch + 1000)
        return QStringLiteral("A mentés vagy a visszatöltés nem sikerült: a mentés fájlja sérült, nem Firebird-mentés, "
                              "vagy nem írható (hibakód: %1).")
            .arg(codes.front());
    if (codes.empty())
        return QStringLiteral("Az adatbázis-kezelő hibát jelzett.");
    return QStringLiteral("Az adatbázis-kezelő hibát jelzett (hibakód: %1).").arg(codes.front());
}

namespace {
// The whole character at, a surrogate pair included.
QString characterAt(const QString& text, qsizetype at)
{
    const bool pair = at + 1 < text.size() && text.at(at).isHighSurrogate() && text.at(at + 1).isLowSurrogate();
    return text.mid(at, pair ? 2 : 1);
}

QString unstorableMessage(const QString& character, const QString& field)
{
    const char32_t code = character.size() == 2 ? QChar::surrogateToUcs4(character.at(0), character.at(1))
                                                : character.at(0).unicode();
    // An invisible character is named by its code alone.
    const bool visible = character.size() == 2 || (character.at(0).isPrint() && !character.at(0).isSpace());
    const QString shown = QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("A(z) \"%1\" mezőben álló %2 karaktert az adatbázis nem tudja tárolni. "
                          "Semmi sem került mentésre; javítsa a mezőt, és mentse újra!")
        .arg(field, visible ? QStringLiteral("\"%1\" (%2)").arg(character, shown) : shown);
}
}  // namespace

UnstorableText::UnstorableText(const QString& text, qsizetype at, const QString& field)
    : Error(unstorableMessage(characterAt(text, at), field)), m_character(characterAt(text, at)), m_field(field)
{
}

}  // namespace fb
