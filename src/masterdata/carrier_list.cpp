#include "masterdata/carrier_list.h"

#include "core/datamodule.h"
#include "core/globals.h"
#include "masterdata/carrier_edit.h"
#include "masterdata/listsupport.h"
#include "ui/layout.h"
#include "ui/dbwidgets.h"
#include "ui/modal.h"
#include "ui/platform.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <memory>

TForm6* Form6 = nullptr;

const QString TForm6::kSelectLine = QStringLiteral("SELECT srendszam, snev, scim, sjovaszam, skod, IDs FROM szallito ");
const QString TForm6::kDefaultOrderLine = QStringLiteral("       ORDER BY srendszam, snev ");

namespace {
const QString kHeadingOnShow = QStringLiteral("A lista, \"Rendszám\" szerint");
const QString kHeadingAfterWrite = QStringLiteral("A lista, \"Kód\" szerint");
}  // namespace

TForm6::TForm6(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Szállító"));
    auto* lay = new QVBoxLayout(this);

    Label2 = new QLabel(QStringLiteral("Rendszám szerinti lista"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    lay->addWidget(Label2);

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Szállító"));
    DBGrid1->setDataSource(&Data->DS30);
    DBGrid1->setColumns({{QStringLiteral("srendszam"), QStringLiteral("Rendszám")},
                         {QStringLiteral("snev"), QStringLiteral("Szállító neve")},
                         {QStringLiteral("scim"), QStringLiteral("Cime")},
                         {QStringLiteral("sjovaszam"), QStringLiteral("Jóváhagy. szám")},
                         {QStringLiteral("skod"), QStringLiteral("Kód")},
                         {QStringLiteral("IDs"), QStringLiteral("ID")}});
    DBGrid1->setMinimumSize(640, 260);
    Label2->setBuddy(DBGrid1);
    lay->addWidget(DBGrid1);

    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(&Data->DS30);
    DBNavigator1->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    lay->addWidget(DBNavigator1, 0, Qt::AlignLeft);

    GroupBox1 = new QGroupBox(QStringLiteral("Adatok"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    auto row = [this, grid](QLabel*& label, const QString& labelName, const QString& caption, DBText*& text,
                            const QString& textName, const QString& field) {
        label = new QLabel(caption, GroupBox1);
        label->setObjectName(labelName);
        text = new DBText(GroupBox1);
        text->setObjectName(textName);
        text->setAccessibleName(caption);
        text->bind(&Data->DS30, field);
        label->setBuddy(text);
        const int r = grid->rowCount();
        grid->addWidget(label, r, 0);
        grid->addWidget(text, r, 1);
    };
    row(Label1, QStringLiteral("Label1"), QStringLiteral("Rendszám:"), DBText1, QStringLiteral("DBText1"),
        QStringLiteral("srendszam"));
    row(Label3, QStringLiteral("Label3"), QStringLiteral("Név:"), DBText2, QStringLiteral("DBText2"),
        QStringLiteral("snev"));
    row(Label4, QStringLiteral("Label4"), QStringLiteral("Cim:"), DBText3, QStringLiteral("DBText3"),
        QStringLiteral("scim"));
    row(Label5, QStringLiteral("Label5"), QStringLiteral("Jóváhagy.szám:"), DBText4, QStringLiteral("DBText4"),
        QStringLiteral("sjovaszam"));
    row(Label6, QStringLiteral("Label6"), QStringLiteral("ID:"), DBText5, QStringLiteral("DBText5"),
        QStringLiteral("IDs"));
    row(Label7, QStringLiteral("Label7"), QStringLiteral("Kód:"), DBText6, QStringLiteral("DBText6"),
        QStringLiteral("skod"));
    grid->setColumnStretch(1, 1);
    lay->addWidget(GroupBox1);

    auto* buttons = new QHBoxLayout;
    Button1 = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Kiválaszt"));
    Button2 = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Új"));
    Button3 = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Módosít"));
    Button4 = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Töröl"));
    Button5 = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Mégsem"));
    for (QPushButton* b : {Button1, Button2, Button3, Button4, Button5})
        buttons->addWidget(b);
    lay->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm6::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm6::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm6::Button5Click);
    connect(DBGrid1, &DBGrid::titleClicked, this, &TForm6::DBGrid1TitleClick);

    fixAndCentre(this);
    FormCreate();
}

TForm6::~TForm6()
{
    if (Form6 == this)
        Form6 = nullptr;
}

void TForm6::openList(const QString& orderByLine)
{
    Data->ZQ30.close();
    Data->ZQ30.clearSql();
    Data->ZQ30.addSql(kSelectLine);
    Data->ZQ30.addSql(orderByLine);
    Data->ZQ30.open();
}

void TForm6::locateCurrent() { masterdata::locateCode(Data->ZQ30, QStringLiteral("skod"), CurrentCarrierCode); }

void TForm6::reloadAfterWrite()
{
    openList(kDefaultOrderLine);
    locateCurrent();
    if (Form6)
        Form6->Label2->setText(kHeadingAfterWrite);
}

void TForm6::FormCreate()
{
    try {
        openList(kDefaultOrderLine);
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
}

void TForm6::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Only the screen being opened reloads; the window manager restoring it does not.
    if (!event->spontaneous())
        FormShow();
}

void TForm6::FormShow()
{
    try {
        openList(kDefaultOrderLine);
        locateCurrent();
        Label2->setText(kHeadingOnShow);
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
}

void TForm6::Button1Click() { close(); }
void TForm6::Button5Click() { close(); }

void TForm6::Button2Click()
{
    CarrierEditMode = QStringLiteral("Új szállító");
    runScreen(this, Form7);
}

void TForm6::Button3Click()
{
    CarrierEditMode = QStringLiteral("Szállító módositás");
    std::unique_ptr<TForm7> dialog(new TForm7(this));
    Form7 = dialog.get();
    try {
        dialog->fillFromList();
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba71 a szállító módosítás Edit-ben való megjelenitésekor!"));
        return;
    }
    platform::showModal(dialog.get());
}

void TForm6::Button4Click()
{
    try {
        const QString code = Data->ZQ30.fieldText(QStringLiteral("skod"));

        Data->ZQ13.close();
        Data->ZQ13.clearSql();
        Data->ZQ13.addSql(QStringLiteral("SELECT Bskod, count(Bskod) as dbbe "));
        Data->ZQ13.addSql(QStringLiteral("  FROM beszall      "));
        Data->ZQ13.addSql(QStringLiteral("  WHERE Bskod = :p1 "));
        Data->ZQ13.addSql(QStringLiteral("  GROUP BY Bskod    "));
        Data->ZQ13.setParamText(QStringLiteral("p1"), code);
        Data->ZQ13.open();
        const qint64 dbbe = Data->ZQ13.fieldInt(QStringLiteral("dbbe"));

        Data->ZQ23.close();
        Data->ZQ23.clearSql();
        Data->ZQ23.addSql(QStringLiteral("SELECT Kskod, count(Kskod) as dbki "));
        Data->ZQ23.addSql(QStringLiteral("  FROM kiszall      "));
        Data->ZQ23.addSql(QStringLiteral("  WHERE Kskod = :p1 "));
        Data->ZQ23.addSql(QStringLiteral("  GROUP BY Kskod    "));
        Data->ZQ23.setParamText(QStringLiteral("p1"), code);
        Data->ZQ23.open();
        const qint64 dbki = Data->ZQ23.fieldInt(QStringLiteral("dbki"));

        if (dbbe != 0 || dbki != 0) {
            platform::confirmYes(this, QStringLiteral("Nem törölhetö, már használatban van  !"));
        } else if (Data->ZQ30.recordCount() > 1) {
            // The last carrier is kept: every entry screen needs one to pick.
            try {
                if (!Data->IBTrans1.inTransaction())
                    Data->IBTrans1.startTransaction();
                Data->ZQ31.close();
                Data->ZQ31.clearSql();
                Data->ZQ31.addSql(QStringLiteral("DELETE FROM szallito      "));
                Data->ZQ31.addSql(QStringLiteral("  WHERE skod = :p1 "));
                Data->ZQ31.setParamText(QStringLiteral("p1"), code);
                Data->ZQ31.execSql();
                Data->IBTrans1.commit();
                platform::showMessage(this, QStringLiteral("A szállitó sor törlölve!"));
            } catch (const std::exception&) {
                try {
                    if (Data->IBTrans1.inTransaction())
                        Data->IBTrans1.rollback();
                } catch (const std::exception&) {
                    // The message below tells the user; the reload shows what is there.
                }
                platform::showMessage(this, QStringLiteral("Hiba61: Szállitó DELETE törlésekor"));
            }
        }
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
    try {
        openList(kDefaultOrderLine);
        locateCurrent();
        Label2->setText(kHeadingAfterWrite);
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
}

void TForm6::DBGrid1TitleClick(int column)
{
    QString orderLine;
    QString heading;
    switch (column) {
    case 0:
        orderLine = QStringLiteral("       ORDER BY srendszam, snev ");
        heading = QStringLiteral("Lista sorrend: rendszám szerint");
        break;
    case 1:
        orderLine = QStringLiteral("       ORDER BY  snev, srendszam ");
        heading = QStringLiteral("Lista sorrend: név szerint");
        break;
    case 2:
        orderLine = QStringLiteral("       ORDER BY  scim ");
        heading = QStringLiteral("Lista sorrend: cim szerint");
        break;
    case 4:
        orderLine = QStringLiteral("       ORDER BY  skod ");
        heading = QStringLiteral("Lista sorrend: Kód szerint");
        break;
    default:
        return;  // "Jóváhagy. szám" and "ID" do not sort
    }
    try {
        openList(orderLine);
        Label2->setText(heading);
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
}
