#include "outgoing/takeover.h"

#include "core/convert.h"
#include "storage/shared_datasets.h"
#include "db/error.h"
#include "outgoing/takeover_xml.h"
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

TakeoverDialog::TakeoverDialog(QWidget* parent)
    : QDialog(parent), m_sharedWork(Data->workLocks, this, {SharedWork::TakeoverStaging})
{
    setObjectName(QStringLiteral("Form30"));
    setWindowTitle(QStringLiteral("Adatok átvétele   ( a fülszám programból)"));

    auto* lay = new QVBoxLayout(this);
    const QList<QLabel*> instructions = {
        makeLabel(
            this, "Label2",
            QStringLiteral("A \"Beolvasás\" gombra az előző beolvasás törlésre kerül.  Tetszőlegesen ismételhető.")),
        makeLabel(this, "Label3", QStringLiteral("A \"Feladás\"  ismétlése duplikálást eredményez.")),
        makeLabel(this, "Label4",
                  QStringLiteral("A beszállításban nem szereplő fülszám esetén is  bekerül a feladásba "
                                 "beszállítási eü.biz. nélkül.")),
        makeLabel(this, "Label5", QStringLiteral("Adat pótlása (eü.biz.) az \"Adatfeltöltés\" menüpontban")),
        makeLabel(
            this, "Label6",
            QStringLiteral("Az \"Ellenörzés\" gonbra megjeleniti a  mely fülszám nincs a  beszállítottak között.")),
    };
    for (QLabel* label : instructions)
        lay->addWidget(label);

    m_checkCaption = makeLabel(this, "Label1", QString());
    QPalette red = m_checkCaption->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_checkCaption->setPalette(red);
    lay->addWidget(m_checkCaption);

    m_list = makeListGrid(this, QStringLiteral("DBGrid1"), &Data->DS111,
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
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS111);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    m_readButton = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Beolvasás"));
    m_readButton->setToolTip(QStringLiteral("Adat átvétel a fülszám programból"));
    m_checkButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Ellenőrzés"));
    m_checkButton->setToolTip(QStringLiteral("Adatátvetel fülszám ellenörzése"));
    m_postButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Feladás"));
    m_postButton->setToolTip(QStringLiteral("Bizonylat számonkénti összesitö készités "));
    m_cancelButton = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Mégsem"));
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
    Data->IBTable11.setReadOnly(false);
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
        Data->holdTransaction();
        Data->ZQ111.close();
        Data->ZQ111.clearSql();
        Data->ZQ111.addSql(QStringLiteral("DELETE FROM kiszall1 "));
        Data->ZQ111.execSql();
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba301: kiszall1 DELETE törlésekor"));
    }

    stageRecords(file.records);
    if (!normaliseEarTags())
        return;

    try {
        // One commit makes the emptying, the stored rows and the rewrites durable together.
        Data->IBTrans1.commit();
        Data->ZQ111.close();
        Data->ZQ111.clearSql();
        Data->ZQ111.addSql(QStringLiteral("SELECT * FROM kiszall1"));
        Data->ZQ111.open();
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
        Data->IBTable11.cancel();
        platform::showMessage(this, errorText(e));
    }
}

bool TakeoverDialog::stageRecord(const QStringList& values)
{
    TableDataset& table = Data->IBTable11;
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
    try {
        Data->ZQ112.close();
        Data->ZQ112.clearSql();
        Data->ZQ112.addSql(QStringLiteral("SELECT * FROM kiszall1"));
        Data->ZQ112.open();
        while (!Data->ZQ112.eof()) {
            if (!Data->IBTrans1.inTransaction())
                Data->IBTrans1.startTransaction();
            try {
                Data->ZQ111.close();
                Data->ZQ111.clearSql();
                Data->ZQ111.addSql(QStringLiteral("UPDATE kiszall1        "));
                Data->ZQ111.addSql(QStringLiteral("   SET kfulszam  = :p1 "));
                Data->ZQ111.addSql(QStringLiteral("   WHERE    IDk  = :p2 "));
                // Digit strings stay exact whatever their length (no exponent form). Other
                // numeric text too large for the plain form would come back in exponent form
                // ("-1,23456789012346E19"), which is no ear tag: refused like a non-number.
                const auto number = convert::earTagNumberText(Data->ZQ112.fieldText(QStringLiteral("kfulszam")));
                if (!number || number->contains(u'E'))
                    throw fb::Error(QStringLiteral("A fülszám nem szám."));
                Data->ZQ111.setParamText(QStringLiteral("p1"), *number);
                Data->ZQ111.setParamInt(QStringLiteral("p2"), Data->ZQ112.fieldInt(QStringLiteral("IDk")));
                Data->ZQ111.execSql();
            } catch (const std::exception&) {
                platform::showMessage(this, QStringLiteral("Hiba302:  Update a kiszall1 -ben "));
                Data->IBTrans1.rollback();
                return false;
            }
            Data->ZQ112.next();
        }
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba303: az Update közben a kiszállítás1 -ben!"));
        // Leave nothing of the failed read pending in the shared transaction, where the next
        // screen's commit would make it durable.
        try {
            if (Data->IBTrans1.inTransaction())
                Data->IBTrans1.rollback();
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
        Data->ZQ111.close();
        Data->ZQ111.clearSql();
        Data->ZQ111.addSql(QStringLiteral("select kiszall1.kfulszam AS kfulszam, KIKELT "));
        Data->ZQ111.addSql(QStringLiteral("   from beszall "));
        Data->ZQ111.addSql(QStringLiteral("   right join kiszall1 on bfulszam = kfulszam"));
        Data->ZQ111.addSql(QStringLiteral("   where bfulszam is null"));
        Data->ZQ111.open();
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
    try {
        if (!Data->IBTrans1.inTransaction())
            Data->IBTrans1.startTransaction();
        Data->ZQ21.close();
        Data->ZQ21.clearSql();
        Data->ZQ21.addSql(QStringLiteral("INSERT INTO kiszall (  kfulszam, kikelt, keubizbe, khkat  ) "));
        Data->ZQ21.addSql(QStringLiteral("       SELECT          kfulszam, kikelt, beubiz  , bhkat    "));
        Data->ZQ21.addSql(QStringLiteral("           FROM kiszall1                             "));
        Data->ZQ21.addSql(QStringLiteral("           LEFT JOIN beszall ON bfulszam = kfulszam  "));
        Data->ZQ21.execSql();
        Data->IBTrans1.commit();
    } catch (const std::exception&) {
        try {
            if (Data->IBTrans1.inTransaction())
                Data->IBTrans1.rollback();
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
