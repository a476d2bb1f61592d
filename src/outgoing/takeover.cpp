#include "outgoing/takeover.h"

#include "core/convert.h"
#include "db/error.h"
#include "outgoing/takeover_xml.h"
#include "storage/session.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/validation.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

QString errorText(const std::exception& e)
{
    if (const auto* fbError = dynamic_cast<const fb::Error*>(&e))
        return fbError->message();
    return platform::errorText(e);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TakeoverDialog::TakeoverDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_rows(session.database(), QStringLiteral("stagedRows")),
      m_rowsSource(m_rows, QStringLiteral("stagedSource")),
      m_sharedWork(session.workLocks(), this, {SharedWork::TakeoverStaging})
{
    setObjectName(QStringLiteral("takeoverDialog"));
    setWindowTitle(QStringLiteral("Adatok átvétele   ( a fülszám programból)"));

    auto* lay = new QVBoxLayout(this);
    const QList<QLabel*> instructions = {
        makeLabel(
            this, "readHintLabel",
            QStringLiteral("A \"Beolvasás\" gombra az előző beolvasás törlésre kerül.  Tetszőlegesen ismételhető.")),
        makeLabel(this, "postHintLabel", QStringLiteral("A \"Feladás\"  ismétlése duplikálást eredményez.")),
        makeLabel(this, "withoutArrivalHintLabel",
                  QStringLiteral("A beszállításban nem szereplő fülszám esetén is  bekerül a feladásba "
                                 "beszállítási eü.biz. nélkül.")),
        makeLabel(this, "completionHintLabel",
                  QStringLiteral("Adat pótlása (eü.biz.) az \"Adatfeltöltés\" menüpontban")),
        makeLabel(
            this, "checkHintLabel",
            QStringLiteral("Az \"Ellenörzés\" gonbra megjeleniti a  mely fülszám nincs a  beszállítottak között.")),
    };
    for (QLabel* label : instructions)
        lay->addWidget(label);

    m_checkCaption = makeLabel(this, "checkCaptionLabel", QString());
    QPalette red = m_checkCaption->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_checkCaption->setPalette(red);
    lay->addWidget(m_checkCaption);

    m_list = makeListGrid(this, QStringLiteral("stagedGrid"), &m_rowsSource,
                          {{QStringLiteral("KIKELT"), QStringLiteral("Kiszáll.dátum")},
                           {QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
                           {QStringLiteral("KVKOD"), QStringLiteral("Vevökód")},
                           {QStringLiteral("KHKAT"), QStringLiteral("Hasz.kat")},
                           {QStringLiteral("KEUBE"), QStringLiteral("Eü.biz. be")},
                           {QStringLiteral("KEUKI"), QStringLiteral("Eü.biz. ki")},
                           {QStringLiteral("IDK"), QStringLiteral("ID")},
                           {QStringLiteral("KKOD"), QStringLiteral("Kód")}});
    m_list->setAccessibleName(QStringLiteral("Átvett fülszámok"));
    m_checkCaption->setBuddy(m_list);
    lay->addWidget(m_list, 1);
    m_navigator = makeListNavigator(this, QStringLiteral("stagedNavigator"), &m_rowsSource);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    m_readButton = makeButton(this, QStringLiteral("readButton"), QStringLiteral("Beolvasás"));
    m_readButton->setToolTip(QStringLiteral("Adat átvétel a fülszám programból"));
    m_checkButton = makeButton(this, QStringLiteral("checkButton"), QStringLiteral("Ellenőrzés"));
    m_checkButton->setToolTip(QStringLiteral("Adatátvetel fülszám ellenörzése"));
    m_postButton = makeButton(this, QStringLiteral("postButton"), QStringLiteral("Feladás"));
    m_postButton->setToolTip(QStringLiteral("Bizonylat számonkénti összesitö készités "));
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));
    for (QPushButton* b : {m_readButton, m_checkButton, m_postButton, m_cancelButton})
        buttons->addWidget(b);
    lay->addLayout(buttons);

    connect(m_readButton, &QPushButton::clicked, this, &TakeoverDialog::readFile);
    connect(m_checkButton, &QPushButton::clicked, this, &TakeoverDialog::listEarTagsWithoutArrival);
    connect(m_postButton, &QPushButton::clicked, this, &TakeoverDialog::postDepartures);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
    input::markLeavesForm(m_cancelButton);

    resize(760, 520);
    input::enterAsTab(this);
}

void TakeoverDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        prepareForReading();
}

void TakeoverDialog::prepareForReading()
{
    m_fileDialog.title = QStringLiteral("Megnyitásra kerülö file neve:");
    m_fileDialog.filter = QStringLiteral("XML files (*.XML)|*.xml|All files|*.*");
    // A Windows directory; where it does not exist the dialog starts in the working directory.
    m_fileDialog.initialDir = QStringLiteral("C:\\fulszam\\");
    m_fileDialog.fileName = QStringLiteral("fulszam.xml");
    m_session.tables().staging.setReadOnly(false);
    m_checkCaption->clear();
}

void TakeoverDialog::readFile()
{
    m_checkCaption->clear();
    if (!m_sharedWork.take())
        return;
    // A cancelled dialog keeps the name it held: the read goes ahead with that file.
    const QString chosen = platform::getOpenFileName(this, m_fileDialog);
    if (!chosen.isEmpty())
        m_fileDialog.fileName = chosen;

    // The whole file is read before anything changes: a file that is missing, unreadable or no
    // well-formed XML is said, with where reading failed, and the staging keeps what it held.
    const takeover::RecordFile file = takeover::readRecordFile(m_fileDialog.fileName);
    if (!file.ok()) {
        platform::showMessage(this, file.error);
        return;
    }

    try {
        // Held by the read, the transaction is not committed by the module on its own halfway
        // through (after the emptying, or when the table closes between two records): a read
        // that fails with Hiba302 leaves the previous staging as it was instead of a half-read,
        // partly unconverted one.
        m_session.database().holdTransaction();
        m_rows.close();
        m_session.staging().empty();
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba301: kiszall1 DELETE törlésekor"));
    }

    stageRecords(file.records);
    if (!normaliseEarTags())
        return;

    try {
        // One commit makes the emptying, the stored rows and the rewrites durable together.
        m_session.transaction().commit();
        m_session.staging().openAll(m_rows);
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
        return;
    }
    platform::showMessage(this, QStringLiteral("Adatok beolvasva. "));
}

void TakeoverDialog::stageRecords(const QList<QStringList>& records)
{
    // Any failure ends the storing with the error's own text; the rows stored so far stay.
    try {
        for (const QStringList& record : records)
            stageRecord(record);  // a refused row has been reported; the next record follows
    } catch (const std::exception& e) {
        m_session.tables().staging.cancel();
        platform::showMessage(this, errorText(e));
    }
}

bool TakeoverDialog::stageRecord(const QStringList& values)
{
    TableDataset& table = m_session.tables().staging;
    table.close();
    table.open();
    table.append();
    // By position: a value that does not fit its column, or one value too many, raises here.
    for (int i = 0; i < values.size(); ++i)
        table.setFieldText(i, values.at(i));
    try {
        table.post();
    } catch (const std::exception& e) {
        // A character the database cannot hold is named; any other refusal is Hiba304.
        if (!validation::sayUnstorableText(this, e))
            platform::showMessage(this, QStringLiteral("Hiba304: XML -böl  INSERT kiszall1 -be "));
        return false;
    }
    return true;
}

bool TakeoverDialog::normaliseEarTags()
{
    SharedTransaction& transaction = m_session.transaction();
    DepartureStaging& staging = m_session.staging();
    try {
        Dataset& staged = staging.openRowsToRewrite();
        while (!staged.eof()) {
            if (!transaction.inTransaction())
                transaction.startTransaction();
            try {
                // The grid would show the ear tags as they were before: it goes with the first rewrite.
                m_rows.close();
                // Digit strings stay exact whatever their length (no exponent form). Other
                // numeric text too large for the plain form would come back in exponent form
                // ("-1,23456789012346E19"), which is no ear tag: refused like a non-number.
                const auto number = convert::earTagNumberText(staged.fieldText(QStringLiteral("kfulszam")));
                if (!number || number->contains(u'E'))
                    throw fb::Error(QStringLiteral("A fülszám nem szám."));
                staging.setEarTag(staged.fieldInt(QStringLiteral("IDk")), *number);
            } catch (const std::exception&) {
                platform::showMessage(this, QStringLiteral("Hiba302:  Update a kiszall1 -ben "));
                transaction.rollback();
                return false;
            }
            staged.next();
        }
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba303: az Update közben a kiszállítás1 -ben!"));
        // Leave nothing of the failed read pending in the shared transaction, where the next
        // screen's commit would make it durable.
        try {
            if (transaction.inTransaction())
                transaction.rollback();
        } catch (const std::exception&) {
        }
        return false;
    }
    return true;
}

void TakeoverDialog::listEarTagsWithoutArrival()
{
    // The check has no message of its own: a failure is shown with its own text and ends it.
    try {
        m_session.staging().openWithoutArrival(m_rows);
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
        return;
    }
    m_checkCaption->setText(QStringLiteral("Ezen fülszámok nincsenek a beszállítottak között"));
}

void TakeoverDialog::postDepartures()
{
    if (!m_sharedWork.take())
        return;
    SharedTransaction& transaction = m_session.transaction();
    try {
        if (!transaction.inTransaction())
            transaction.startTransaction();
        m_session.departures().insertStaged();
        transaction.commit();
    } catch (const std::exception&) {
        try {
            if (transaction.inTransaction())
                transaction.rollback();
        } catch (const std::exception&) {
        }
        platform::showMessage(this, QStringLiteral("Hiba305: az insert a kiszállításban!"));
        return;
    }
    platform::showMessage(
        this,
        QStringLiteral("A kiszállításba beírva: fülszám, dátum és beszállításkori eü.biz.szám, hasznosítási kat.!"));
    close();
}
