#include "db/service.h"

#include "db/database_settings.h"
#include "db/status.h"

#include <QFile>

using namespace Firebird;

namespace fb {

using detail::Status;

namespace {

class Builder {
public:
    Builder(unsigned kind)
    {
        Status st;
        m_b = util()->getXpbBuilder(&st, kind, nullptr, 0);
        st.check();
    }
    ~Builder() { m_b->dispose(); }
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;
    Builder& tag(unsigned char t)
    {
        Status st;
        m_b->insertTag(&st, t);
        st.check();
        return *this;
    }
    Builder& text(unsigned char t, const QByteArray& value)
    {
        Status st;
        m_b->insertString(&st, t, value.constData());
        st.check();
        return *this;
    }
    Builder& number(unsigned char t, int value)
    {
        Status st;
        m_b->insertInt(&st, t, value);
        st.check();
        return *this;
    }
    unsigned length()
    {
        Status st;
        const unsigned n = m_b->getBufferLength(&st);
        st.check();
        return n;
    }
    const unsigned char* buffer()
    {
        Status st;
        const unsigned char* b = m_b->getBuffer(&st);
        st.check();
        return b;
    }

private:
    IXpbBuilder* m_b;
};

// One attachment to a service manager, released on every way out.
class ServiceManager {
public:
    explicit ServiceManager(const ConnectParams& params, const QString& name)
    {
        Builder spb(IXpbBuilder::SPB_ATTACH);
        spb.text(isc_spb_user_name, params.user.toLocal8Bit());
        spb.text(isc_spb_password, params.password.toLocal8Bit());
        Status st;
        IProvider* prov = master()->getDispatcher();
        m_svc = prov->attachServiceManager(&st, name.toLocal8Bit().constData(), spb.length(), spb.buffer());
        prov->release();
        st.check();
    }
    ~ServiceManager()
    {
        Status st;
        m_svc->detach(&st);
        if (st.failed())
            m_svc->release();
    }
    ServiceManager(const ServiceManager&) = delete;
    ServiceManager& operator=(const ServiceManager&) = delete;

    void start(Builder& spb)
    {
        Status st;
        m_svc->start(&st, spb.length(), spb.buffer());
        st.check();
    }

    // Reads the service's output line by line until it has finished; the engine's error, when the
    // service failed, comes with the last query. Returns every line.
    QStringList follow(const ServiceProgress& progress)
    {
        QStringList lines;
        const unsigned char request[] = {isc_info_svc_line};
        std::vector<unsigned char> answer(16384);
        for (;;) {
            Status st;
            m_svc->query(&st, 0, nullptr, sizeof(request), request, static_cast<unsigned>(answer.size()),
                         answer.data());
            st.check();
            const unsigned char* p = answer.data();
            const unsigned char* end = p + answer.size();
            bool more = false;
            while (p < end && *p != isc_info_end) {
                const unsigned char item = *p++;
                if (item == isc_info_svc_line) {
                    if (end - p < 2)
                        break;
                    const unsigned len = p[0] | (static_cast<unsigned>(p[1]) << 8);  // little-endian length
                    p += 2;
                    if (len > static_cast<unsigned>(end - p))
                        break;
                    if (len > 0) {
                        more = true;
                        lines << detail::messageText(
                            QByteArray(reinterpret_cast<const char*>(p), static_cast<int>(len)).constData());
                        if (progress)
                            progress(lines.last());
                    }
                    p += len;
                } else if (item == isc_info_truncated || item == isc_info_svc_timeout) {
                    more = true;
                    break;
                } else {
                    break;
                }
            }
            if (!more)
                return lines;
        }
    }

private:
    IService* m_svc = nullptr;
};

// gbak's error lines are English: the person gets what they mean, the lines themselves go to the
// program's error output for support.
QString gbakFailure(const QStringList& errors)
{
    for (const QString& line : errors)
        qWarning("gbak: %s", qPrintable(line));
    const QString all = errors.join(u' ').toLower();
    if (all.contains(QLatin1String("incomplete")) || all.contains(QLatin1String("unexpected end of file")))
        return QStringLiteral("A mentés fájlja nem teljes: a vége hiányzik.");
    if (all.contains(QLatin1String("expected")) || all.contains(QLatin1String("not a valid")) ||
        all.contains(QLatin1String("corrupt")) || all.contains(QLatin1String("invalid")))
        return QStringLiteral("A fájl nem ép Firebird-mentés (sérült, vagy nem mentés).");
    if (all.contains(QLatin1String("cannot open")) || all.contains(QLatin1String("could not open")) ||
        all.contains(QLatin1String("can't open")))
        return QStringLiteral("A mentés fájlja nem nyitható meg.");
    if (all.contains(QLatin1String("no space")) || all.contains(QLatin1String("disk")))
        return QStringLiteral("A lemezen nincs elég hely.");
    if (all.contains(QLatin1String("already exists")))
        return QStringLiteral("A cél adatbázisfájl már létezik.");
    return QStringLiteral("A gbak hibát jelzett; a mentés vagy a visszatöltés nem sikerült.");
}

// gbak reports some failures only in its output (a backup file that ends too early: "ERROR: Backup
// incomplete"), so the run counts as done only with no error line and with its closing line.
void requireFinished(const QStringList& lines, const QString& closingLine)
{
    QStringList errors;
    bool finished = false;
    for (const QString& line : lines) {
        if (line.contains(QLatin1String("ERROR:")))
            errors << line.mid(line.indexOf(QLatin1String("ERROR:")) + 6).trimmed();
        if (line.contains(closingLine))
            finished = true;
    }
    if (!errors.isEmpty())
        throw Error(gbakFailure(errors));
    if (!finished)
        throw Error(QStringLiteral("A gbak nem fejezte be a munkát: a mentés fájlja valószínűleg nem teljes."));
}

}  // namespace

ServiceTarget serviceTarget(const QString& database)
{
    if (!dbsettings::isOnServer(database))
        return {QStringLiteral("service_mgr"), database};
    // "inet://host[:port]/path": the service manager is "inet://host[:port]/service_mgr".
    const qsizetype scheme = database.indexOf(QStringLiteral("://"));
    if (scheme > 0) {
        const qsizetype slash = database.indexOf(u'/', scheme + 3);
        if (slash < 0)
            return {database + QStringLiteral("/service_mgr"), QString()};
        return {database.left(slash + 1) + QStringLiteral("service_mgr"), database.mid(slash + 1)};
    }
    // "host[/port]:path": "host[/port]:service_mgr" and the path as the server names it.
    const qsizetype colon = database.indexOf(u':');
    return {database.left(colon + 1) + QStringLiteral("service_mgr"), database.mid(colon + 1)};
}

void backupDatabase(const ConnectParams& params, const QString& file, const ServiceProgress& progress)
{
    const ServiceTarget target = serviceTarget(params.database);
    ServiceManager svc(params, target.serviceManager);
    Builder spb(IXpbBuilder::SPB_START);
    spb.tag(isc_action_svc_backup);
    spb.text(isc_spb_dbname, QFile::encodeName(target.database));
    spb.text(isc_spb_bkp_file, QFile::encodeName(file));
    spb.tag(isc_spb_verbose);
    svc.start(spb);
    requireFinished(svc.follow(progress), QLatin1String("closing file, committing, and finishing"));
}

void restoreDatabase(const ConnectParams& params, const QString& file, bool replace, const ServiceProgress& progress)
{
    const ServiceTarget target = serviceTarget(params.database);
    ServiceManager svc(params, target.serviceManager);
    Builder spb(IXpbBuilder::SPB_START);
    spb.tag(isc_action_svc_restore);
    spb.text(isc_spb_bkp_file, QFile::encodeName(file));
    spb.text(isc_spb_dbname, QFile::encodeName(target.database));
    spb.number(isc_spb_options, replace ? isc_spb_res_replace : isc_spb_res_create);
    spb.tag(isc_spb_verbose);
    svc.start(spb);
    requireFinished(svc.follow(progress), QLatin1String("finishing, closing, and going home"));
}

}  // namespace fb
