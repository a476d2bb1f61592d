#include "incoming/incoming_list.h"

#include "core/convert.h"
#include "core/datamodule.h"
#include "core/globals.h"
#include "incoming/incoming_entry.h"
#include "masterdata/panels.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/modal.h"
#include "ui/platform.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TForm8* Form8 = nullptr;

TForm8::TForm8(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Beszállítás"));
    setSizeGripEnabled(true);
    buildLayout();

    connect(RadioButton1, &QRadioButton::clicked, this, &TForm8::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TForm8::RadioButton2Click);
    connect(Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm8::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm8::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm8::Button5Click);

    // Something to show before the first showing; the rebuild at showing replaces it before the
    // window is painted, so the move to the last row (a fetch of every arrival) is left to it.
    openList(false, false);

    // The list is rebuilt whenever the window comes back: after the entry screen or a message box
    // over it closes, the rows may have changed.
    m_refresh = new input::ReactivationRefresh(this, [this] { rebuild(); });
}

TForm8::~TForm8()
{
    if (Form8 == this)
        Form8 = nullptr;
}

void TForm8::buildLayout()
{
    GroupBox4 = new QGroupBox(QStringLiteral("A lista sorrendje:"), this);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    auto* orderRow = new QHBoxLayout(GroupBox4);
    RadioButton1 = new QRadioButton(QStringLiteral("dátum, fülszám"), GroupBox4);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("beviteli sorrend"), GroupBox4);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setChecked(true);
    orderRow->addWidget(RadioButton1);
    orderRow->addWidget(RadioButton2);

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Beszállítás"));
    DBGrid1->setDataSource(&Data->DS12);
    DBGrid1->setColumns({{QStringLiteral("BFULSZAM"), QStringLiteral("Fülszám")},
                         {QStringLiteral("BSZKELT"), QStringLiteral("Beszállítás")},
                         {QStringLiteral("FNEV"), QStringLiteral("Feladó neve")},
                         {QStringLiteral("SNEV"), QStringLiteral("Szállító neve")},
                         {QStringLiteral("BVKELT"), QStringLiteral("Vásárlás ")},
                         {QStringLiteral("BHKAT"), QStringLiteral("Hasznositási kat.")},
                         {QStringLiteral("BEUBIZ"), QStringLiteral("Eü. biz. be")},
                         {QStringLiteral("BSKOD"), QStringLiteral("Száll.kód")},
                         {QStringLiteral("BFKOD"), QStringLiteral("Feladókód")},
                         {QStringLiteral("IDB"), QStringLiteral("ID")},
                         {QStringLiteral("BKOD"), QStringLiteral("Kód")},
                         {QStringLiteral("SRENDSZAM"), QStringLiteral("Rendszám")},
                         {QStringLiteral("SCIM"), QStringLiteral("Szállítócim")},
                         {QStringLiteral("SJOVASZAM"), QStringLiteral("Jóváhagy.száma")},
                         {QStringLiteral("FCIM"), QStringLiteral("Feladó cime")},
                         {QStringLiteral("FTENYKOD"), QStringLiteral("Feladó teny.kód")}});
    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(&Data->DS12);
    DBNavigator1->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);

    int textNumber = 1;
    GroupBox2 = masterdata::carrierPanel(this, QStringLiteral("GroupBox2"), &Data->DS12, textNumber);
    GroupBox1 = masterdata::senderPanel(this, QStringLiteral("GroupBox1"), &Data->DS12, textNumber);
    GroupBox3 = buildDetailPanel(this, QStringLiteral("GroupBox3"), QStringLiteral("Fülszám"), &Data->DS12,
                                           {{QStringLiteral("Fülszám:"), {QStringLiteral("bfulszam")}},
                                            {QStringLiteral("Beérkezés dátuma:"), {QStringLiteral("bszkelt")}},
                                            {QStringLiteral("Vásárlás kelte:"), {QStringLiteral("bvkelt")}},
                                            {QStringLiteral("Hasznositási kat.:"), {QStringLiteral("bhkat")}},
                                            {QStringLiteral("Eü.bizonyitvány:"), {QStringLiteral("beubiz")}},
                                            {QStringLiteral("Kód:"), {QStringLiteral("IDb"), QStringLiteral("bskod")}}},
                                           textNumber);

    auto button = [this](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    Button2 = button(QStringLiteral("Button2"), QStringLiteral("Új"));
    Button3 = button(QStringLiteral("Button3"), QStringLiteral("Módosít"));
    Button4 = button(QStringLiteral("Button4"), QStringLiteral("Töröl"));
    Button5 = button(QStringLiteral("Button5"), QStringLiteral("Mégsem"));

    // The controls keep their size and place when the window is resized: everything sits in a
    // fixed-size block at the top left.
    auto* block = new QWidget(this);
    block->setObjectName(QStringLiteral("Panel1"));
    auto* blockLayout = new QGridLayout(block);
    blockLayout->addWidget(GroupBox4, 0, 0, 1, 3);
    blockLayout->addWidget(DBGrid1, 1, 0, 1, 3);
    blockLayout->addWidget(DBNavigator1, 2, 0, Qt::AlignLeft);
    blockLayout->addWidget(GroupBox2, 3, 0);
    blockLayout->addWidget(GroupBox1, 3, 1);
    blockLayout->addWidget(GroupBox3, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addWidget(Button4);
    buttons->addStretch(1);
    buttons->addWidget(Button5);
    blockLayout->addLayout(buttons, 4, 0, 1, 3);
    DBGrid1->setFixedHeight(300);
    block->setFixedSize(900, 640);

    auto* root = new QGridLayout(this);
    root->addWidget(block, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    root->setRowStretch(1, 1);
    root->setColumnStretch(1, 1);
    resize(920, 660);
}

void TForm8::openList(bool withBkod, bool byDate)
{
    Dataset& q = Data->ZQ12;
    q.close();
    q.clearSql();
    q.addSql(withBkod ? QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod,")
                      : QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb,"));
    q.addSql(QStringLiteral("srendszam,  scim, sjovaszam, skod, IDs,"));
    q.addSql(QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"));
    q.addSql(QStringLiteral("FROM beszall"));
    q.addSql(QStringLiteral("JOIN szallito ON szallito.skod = beszall.bskod"));
    q.addSql(QStringLiteral("JOIN felado ON felado.fkod = beszall.bfkod"));
    q.addSql(byDate ? QStringLiteral("ORDER BY bszkelt, bfulszam") : QStringLiteral("ORDER BY IDb"));
    q.open();
}

void TForm8::rebuild()
{
    openList(true, RadioButton1->isChecked());
    Data->ZQ12.last();
    if (!CurrentIncomingId.isEmpty())
        Data->ZQ12.locate(QStringLiteral("IDb"), CurrentIncomingId);
}

void TForm8::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm8::FormShow()
{
    // The rebuild itself follows from the showing (ReactivationRefresh), outside this event.
    DBGrid1->setFocus();
}

void TForm8::RadioButton1Click() { rebuild(); }
void TForm8::RadioButton2Click() { rebuild(); }

void TForm8::Button2Click()
{
    IncomingEntryMode = QStringLiteral("Új fülszám");
    // No rebuild here: the list window is re-activated when the entry screen closes.
    runScreen(this, Form9);
}

void TForm8::Button3Click()
{
    // With no current arrival there is nothing to change: the entry screen would open on empty
    // fields and its save could only fail, rolling back whatever else was pending.
    if (!Data->ZQ12.active() || Data->ZQ12.isEmpty())
        return;
    IncomingEntryMode = QStringLiteral("Fülszám módositás");
    Form9 = new TForm9(this);
    if (Form9->LoadForChange())
        platform::showModal(Form9);
    delete Form9;
    Form9 = nullptr;
    rebuild();
}

void TForm8::Button4Click()
{
    // With no current row there is nothing to delete; the statements below would look for an
    // empty ear tag and still report a deletion.
    if (!Data->ZQ12.active() || Data->ZQ12.recNo() < 0)
        return;
    const QString tag = Data->ZQ12.fieldText(QStringLiteral("bfulszam"));

    Dataset& check = Data->ZQ21;
    check.close();
    check.clearSql();
    check.addSql(QStringLiteral("SELECT Kfulszam, count(Kfulszam) as db"));
    check.addSql(QStringLiteral("FROM kiszall"));
    check.addSql(QStringLiteral("WHERE Kfulszam = :p1"));
    check.addSql(QStringLiteral("GROUP BY Kfulszam"));
    check.setParamText(QStringLiteral("p1"), tag);
    check.open();
    if (check.fieldInt(QStringLiteral("db")) != 0) {
        platform::confirmYes(this, QStringLiteral("Kiszállitásban szerepel a fülszám!"));
    } else {
        Dataset& q = Data->ZQ11;
        try {
            // Remember the arrival entered just before the first one with this ear tag: the list
            // ends there after the delete.
            q.close();
            q.clearSql();
            q.addSql(QStringLiteral("SELECT * FROM beszall"));
            q.addSql(QStringLiteral("ORDER BY IDb"));
            q.open();
            const int tagColumn = q.fieldIndex(QStringLiteral("bfulszam"));
            const QString wanted = convert::trimRight(tag);
            for (int r = 0; q.fetchUntil(r); ++r) {
                if (convert::trimRight(q.cellText(r, tagColumn)) == wanted) {
                    q.moveTo(r);
                    q.prior();
                    break;
                }
            }
            CurrentIncomingId = q.fieldText(QStringLiteral("IDb"));

            q.close();
            q.clearSql();
            q.addSql(QStringLiteral("DELETE FROM beszall"));
            q.addSql(QStringLiteral("WHERE bfulszam = :p1"));
            q.setParamText(QStringLiteral("p1"), tag);
            q.execSql();
            platform::showMessage(this, QStringLiteral("A beszállitás sor törölve!"));
            Data->IBTrans1.commit();
        } catch (const std::exception&) {
            try {
                Data->IBTrans1.rollback();
            } catch (const std::exception&) {
                // The message below reports the failure either way.
            }
            platform::showMessage(this, QStringLiteral("Hiba81: Beszállitás DELETE törlésekor"));
        }
    }
    rebuild();
}

void TForm8::Button5Click() { close(); }
