#include "outgoing/takeover.h"

#include "core/convert.h"
#include "core/datamodule.h"
#include "db/error.h"
#include "outgoing/takeover_xml.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TForm30* Form30 = nullptr;

namespace {

QString errorText(const std::exception& e)
{
    if (const auto* fbError = dynamic_cast<const fb::Error*>(&e))
        return fbError->message();
    return QString::fromUtf8(e.what());
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TForm30::TForm30(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form30"));
    setWindowTitle(QStringLiteral("Adatok átvétele   ( a fülszám programból)"));

    auto* lay = new QVBoxLayout(this);
    Label2 = makeLabel(this, "Label2",
                       QStringLiteral("A \"Beolvasás\" gombra az előző beolvasás törlésre kerül.  Tetszőlegesen ismételhető."));
    Label3 = makeLabel(this, "Label3", QStringLiteral("A \"Feladás\"  ismétlése duplikálást eredményez."));
    Label4 = makeLabel(this, "Label4",
                       QStringLiteral("A beszállításban nem szereplő fülszám esetén is  bekerül a feladásba "
                                      "beszállítási eü.biz. nélkül."));
    Label5 = makeLabel(this, "Label5", QStringLiteral("Adat pótlása (eü.biz.) az \"Adatfeltöltés\" menüpontban"));
    Label6 = makeLabel(this, "Label6",
                       QStringLiteral("Az \"Ellenörzés\" gonbra megjeleniti a  mely fülszám nincs a  beszállítottak között."));
    for (QLabel* label : {Label2, Label3, Label4, Label5, Label6})
        lay->addWidget(label);

    Label1 = makeLabel(this, "Label1", QString());
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);
    lay->addWidget(Label1);

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Átvett fülszámok"));
    DBGrid1->setDataSource(&Data->DS111);
    DBGrid1->setColumns({{QStringLiteral("KIKELT"), QStringLiteral("Kiszáll.dátum")},
                         {QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
                         {QStringLiteral("KVKOD"), QStringLiteral("Vevökód")},
                         {QStringLiteral("KHKAT"), QStringLiteral("Hasz.kat")},
                         {QStringLiteral("KEUBE"), QStringLiteral("Eü.biz. be")},
                         {QStringLiteral("KEUKI"), QStringLiteral("Eü.biz. ki")},
                         {QStringLiteral("IDK"), QStringLiteral("ID")},
                         {QStringLiteral("KKOD"), QStringLiteral("Kód")}});
    Label1->setBuddy(DBGrid1);
    lay->addWidget(DBGrid1, 1);

    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(&Data->DS111);
    DBNavigator1->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    lay->addWidget(DBNavigator1, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    Button5 = makeButton(this, "Button5", QStringLiteral("Beolvasás"), QStringLiteral("Adat átvétel a fülszám programból"));
    Button1 = makeButton(this, "Button1", QStringLiteral("Ellenőrzés"), QStringLiteral("Adatátvetel fülszám ellenörzése"));
    Button2 = makeButton(this, "Button2", QStringLiteral("Feladás"), QStringLiteral("Bizonylat számonkénti összesitö készités "));
    Button3 = makeButton(this, "Button3", QStringLiteral("Mégsem"), QString());
    for (QPushButton* b : {Button5, Button1, Button2, Button3})
        buttons->addWidget(b);
    lay->addLayout(buttons);

    connect(Button5, &QPushButton::clicked, this, &TForm30::Button5Click);
    connect(Button1, &QPushButton::clicked, this, &TForm30::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm30::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm30::Button3Click);
    input::markLeavesForm(Button3);

    resize(760, 520);
    input::enterAsTab(this);
}

void TForm30::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm30::FormShow()
{
    OpenDialog1.title = QStringLiteral("Megnyitásra kerülö file neve:");
    OpenDialog1.filter = QStringLiteral("XML files (*.XML)|*.xml|All files|*.*");
    // A Windows directory; where it does not exist the dialog starts in the working directory.
    OpenDialog1.initialDir = QStringLiteral("C:\\fulszam\\");
    OpenDialog1.fileName = QStringLiteral("fulszam.xml");
    Data->IBTable11.setReadOnly(false);
    Label1->clear();
}

void TForm30::Button5Click()
{
    Label1->clear();
    // A cancelled dialog keeps the name it held: the read goes ahead with that file.
    const QString chosen = platform::getOpenFileName(this, OpenDialog1);
    if (!chosen.isEmpty())
        OpenDialog1.fileName = chosen;

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

    readXmlFile();
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

void TForm30::readXmlFile()
{
    // Any failure ends the reading with the error's own text; the rows stored so far stay.
    try {
        RecordValues.clear();
        const QList<QStringList> records = takeover::readRecordFile(OpenDialog1.fileName);
        for (const QStringList& record : records) {
            RecordValues = record;
            insertintotable();  // a refused row has been reported; the next record follows
            RecordValues.clear();
        }
    } catch (const std::exception& e) {
        Data->IBTable11.cancel();
        platform::showMessage(this, errorText(e));
    }
}

bool TForm30::insertintotable()
{
    TableDataset& table = Data->IBTable11;
    table.close();
    table.open();
    table.append();
    // By position: a value that does not fit its column, or one value too many, raises here.
    for (int i = 0; i < RecordValues.size(); ++i)
        table.setFieldText(i, RecordValues.at(i));
    try {
        table.post();
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba304: XML -böl  INSERT kiszall1 -be "));
        return false;
    }
    return true;
}

bool TForm30::normaliseEarTags()
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
                    throw fb::Error(QStringLiteral("not a number"));
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

void TForm30::Button1Click()
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
    Label1->setText(QStringLiteral("Ezen fülszámok nincsenek a beszállítottak között"));
}

void TForm30::Button2Click()
{
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
        this, QStringLiteral("A kiszállításba beírva: fülszám, dátum és beszállításkori eü.biz.szám, hasznosítási kat.!"));
    close();
}

void TForm30::Button3Click() { close(); }
