#include "masterdata/partner_list.h"

#include "core/datamodule.h"
#include "core/globals.h"
#include "masterdata/listsupport.h"
#include "ui/layout.h"
#include "masterdata/partner_edit.h"
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

TForm4* Form4 = nullptr;

const QString TForm4::kSelectLine =
    QStringLiteral("SELECT fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf FROM felado ");
const QString TForm4::kDefaultOrderLine = QStringLiteral("       ORDER BY fnev, fcim ");

namespace {
const QString kHeadingOnShow = QStringLiteral("A lista, \"Név\" szerint");
const QString kHeadingAfterWrite = QStringLiteral("A lista, \"Kód\" szerint");
}  // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Feladó-Vevö"));
    auto* lay = new QVBoxLayout(this);

    Label6 = new QLabel(QStringLiteral("Feladó - vevö lista, név szerint"), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    lay->addWidget(Label6);

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Feladó-Vevö"));
    DBGrid1->setDataSource(&Data->DS40);
    DBGrid1->setColumns({{QStringLiteral("fnev"), QStringLiteral("Név")},
                         {QStringLiteral("fcim"), QStringLiteral("Cim")},
                         {QStringLiteral("ftenykod"), QStringLiteral("Tenyésztésikód")},
                         {QStringLiteral("fsznev"), QStringLiteral("Sz.név")},
                         {QStringLiteral("fszcim"), QStringLiteral("Sz.cim")},
                         {QStringLiteral("fkod"), QStringLiteral("Kód")},
                         {QStringLiteral("IDf"), QStringLiteral("ID")}});
    DBGrid1->setMinimumSize(720, 260);
    Label6->setBuddy(DBGrid1);
    lay->addWidget(DBGrid1);

    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(&Data->DS40);
    DBNavigator1->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    lay->addWidget(DBNavigator1, 0, Qt::AlignLeft);

    GroupBox1 = new QGroupBox(QStringLiteral("Adatok"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    auto makeText = [this](DBText*& text, const QString& name, const QString& accessible, const QString& field) {
        text = new DBText(GroupBox1);
        text->setObjectName(name);
        text->setAccessibleName(accessible);
        text->bind(&Data->DS40, field);
    };
    auto row = [this, grid, makeText](QLabel*& label, const QString& labelName, const QString& caption,
                                      DBText*& text, const QString& textName, const QString& field) {
        label = new QLabel(caption, GroupBox1);
        label->setObjectName(labelName);
        makeText(text, textName, caption, field);
        label->setBuddy(text);
        const int r = grid->rowCount();
        grid->addWidget(label, r, 0);
        grid->addWidget(text, r, 1, 1, 2);
    };
    row(Label1, QStringLiteral("Label1"), QStringLiteral("Tulajdonos/feladó neve:"), DBText1,
        QStringLiteral("DBText1"), QStringLiteral("fnev"));
    row(Label2, QStringLiteral("Label2"), QStringLiteral("Cime:"), DBText2, QStringLiteral("DBText2"),
        QStringLiteral("fcim"));
    row(Label3, QStringLiteral("Label3"), QStringLiteral("Tenyészkódja:"), DBText3, QStringLiteral("DBText3"),
        QStringLiteral("ftenykod"));
    row(Label4, QStringLiteral("Label4"), QStringLiteral("Származási hely:"), DBText4, QStringLiteral("DBText4"),
        QStringLiteral("fsznev"));
    row(Label5, QStringLiteral("Label5"), QStringLiteral("cime:"), DBText5, QStringLiteral("DBText5"),
        QStringLiteral("fszcim"));
    // "Kód:" is followed by the identifier and the code.
    Label7 = new QLabel(QStringLiteral("Kód:"), GroupBox1);
    Label7->setObjectName(QStringLiteral("Label7"));
    makeText(DBText6, QStringLiteral("DBText6"), QStringLiteral("ID"), QStringLiteral("IDf"));
    makeText(DBText7, QStringLiteral("DBText7"), QStringLiteral("Kód:"), QStringLiteral("fkod"));
    Label7->setBuddy(DBText7);
    const int r = grid->rowCount();
    grid->addWidget(Label7, r, 0);
    grid->addWidget(DBText6, r, 1);
    grid->addWidget(DBText7, r, 2);
    grid->setColumnStretch(2, 1);
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

    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm4::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm4::Button5Click);
    connect(DBGrid1, &DBGrid::titleClicked, this, &TForm4::DBGrid1TitleClick);

    fixAndCentre(this);
    FormCreate();
}

TForm4::~TForm4()
{
    if (Form4 == this)
        Form4 = nullptr;
}

void TForm4::openInitialList()
{
    Data->ZQ40.close();
    Data->ZQ40.clearSql();
    Data->ZQ40.addSql(QStringLiteral("SELECT fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf  "));
    Data->ZQ40.addSql(QStringLiteral("       FROM felado "));
    Data->ZQ40.addSql(QStringLiteral("       ORDER BY fnev, fcim "));
    Data->ZQ40.open();
}

void TForm4::openList(const QString& orderByLine)
{
    Data->ZQ40.close();
    Data->ZQ40.clearSql();
    Data->ZQ40.addSql(kSelectLine);
    Data->ZQ40.addSql(orderByLine);
    Data->ZQ40.open();
}

void TForm4::locateCurrent() { masterdata::locateCode(Data->ZQ40, QStringLiteral("fkod"), CurrentSenderCode); }

void TForm4::reloadAfterWrite()
{
    openList(kDefaultOrderLine);
    locateCurrent();
    if (Form4)
        Form4->Label6->setText(kHeadingAfterWrite);
}

void TForm4::FormCreate()
{
    try {
        openInitialList();
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
}

void TForm4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Only the screen being opened reloads; the window manager restoring it does not.
    if (!event->spontaneous())
        FormShow();
}

void TForm4::FormShow()
{
    try {
        openInitialList();
        locateCurrent();
        Label6->setText(kHeadingOnShow);
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
}

void TForm4::Button1Click() { close(); }
void TForm4::Button5Click() { close(); }

void TForm4::Button2Click()
{
    SenderEditMode = QStringLiteral("Új feladó");
    runScreen(this, Form5);
}

void TForm4::Button3Click()
{
    SenderEditMode = QStringLiteral("Feladó módositás");
    std::unique_ptr<TForm5> dialog(new TForm5(this));
    Form5 = dialog.get();
    try {
        dialog->fillFromList();
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba52 a módosítás Edit-ben való megjelenitésekor!"));
        return;
    }
    platform::showModal(dialog.get());
}

void TForm4::Button4Click()
{
    try {
        const QString code = Data->ZQ40.fieldText(QStringLiteral("fkod"));

        Data->ZQ13.close();
        Data->ZQ13.clearSql();
        Data->ZQ13.addSql(QStringLiteral("SELECT Bfkod, count(Bfkod) as dbbe "));
        Data->ZQ13.addSql(QStringLiteral("  FROM beszall      "));
        Data->ZQ13.addSql(QStringLiteral("  WHERE Bfkod = :p1 "));
        Data->ZQ13.addSql(QStringLiteral("  GROUP BY Bfkod    "));
        Data->ZQ13.setParamText(QStringLiteral("p1"), code);
        Data->ZQ13.open();
        const qint64 dbbe = Data->ZQ13.fieldInt(QStringLiteral("dbbe"));

        Data->ZQ23.close();
        Data->ZQ23.clearSql();
        Data->ZQ23.addSql(QStringLiteral("SELECT Kfkod, count(Kfkod) as dbki "));
        Data->ZQ23.addSql(QStringLiteral("  FROM kiszall      "));
        Data->ZQ23.addSql(QStringLiteral("  WHERE Kfkod = :p1 "));
        Data->ZQ23.addSql(QStringLiteral("  GROUP BY Kfkod    "));
        Data->ZQ23.setParamText(QStringLiteral("p1"), code);
        Data->ZQ23.open();
        const qint64 dbki = Data->ZQ23.fieldInt(QStringLiteral("dbki"));

        if (dbbe != 0 || dbki != 0) {
            platform::confirmYes(this, QStringLiteral("Nem törölhetö, már használatban van  !"));
        } else if (Data->ZQ40.recordCount() > 1) {
            // The last partner is kept: the entry screens need one to pick.
            try {
                if (!Data->IBTrans1.inTransaction())
                    Data->IBTrans1.startTransaction();
                Data->ZQ41.close();
                Data->ZQ41.clearSql();
                Data->ZQ41.addSql(QStringLiteral("DELETE FROM felado      "));
                Data->ZQ41.addSql(QStringLiteral("  WHERE fkod = :p1 "));
                Data->ZQ41.setParamText(QStringLiteral("p1"), code);
                Data->ZQ41.execSql();
                Data->IBTrans1.commit();
                platform::showMessage(this, QStringLiteral("A feladó-vevö sor törlölve!"));
            } catch (const std::exception&) {
                try {
                    if (Data->IBTrans1.inTransaction())
                        Data->IBTrans1.rollback();
                } catch (const std::exception&) {
                    // The message below tells the user; the reload shows what is there.
                }
                platform::showMessage(this, QStringLiteral("Hiba41: Feladó DELETE törlésekor"));
            }
        }
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
    try {
        openList(kDefaultOrderLine);
        locateCurrent();
        Label6->setText(kHeadingAfterWrite);
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
}

void TForm4::DBGrid1TitleClick(int column)
{
    QString orderLine;
    QString heading;
    switch (column) {
    case 0:
        orderLine = QStringLiteral("       ORDER BY fnev, fcim ");
        heading = QStringLiteral("Lista sorrend: név, cim szerint");
        break;
    case 1:
        orderLine = QStringLiteral("       ORDER BY fcim, fnev  ");
        heading = QStringLiteral("Lista sorrend: cim, név szerint");
        break;
    case 5:
        orderLine = QStringLiteral("       ORDER BY fkod  ");
        heading = QStringLiteral("Lista sorrend: kód szerint");
        break;
    default:
        return;  // "Tenyésztésikód", "Sz.név", "Sz.cim" and "ID" do not sort
    }
    try {
        openList(orderLine);
        Label6->setText(heading);
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
}
