#include "masterdata/partner_edit.h"

#include "core/convert.h"
#include "core/datamodule.h"
#include "core/globals.h"
#include "db/error.h"
#include "masterdata/listsupport.h"
#include "ui/layout.h"
#include "masterdata/partner_list.h"
#include "ui/input.h"
#include "ui/platform.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm5* Form5 = nullptr;

namespace {
const QString kNewMode = QStringLiteral("Új feladó");
}

TForm5::TForm5(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Feladó-Vevö"));
    auto* lay = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    lay->addLayout(grid);
    auto field = [this, grid](QLabel*& label, const QString& labelName, const QString& caption, QLineEdit*& edit,
                              const QString& editName) {
        label = new QLabel(caption, this);
        label->setObjectName(labelName);
        edit = new QLineEdit(this);
        edit->setObjectName(editName);
        edit->setMinimumWidth(360);
        label->setBuddy(edit);
        const int r = grid->rowCount();
        grid->addWidget(label, r, 0);
        grid->addWidget(edit, r, 1);
    };
    field(Label1, QStringLiteral("Label1"), QStringLiteral("IDf"), Edit1, QStringLiteral("Edit1"));
    field(Label2, QStringLiteral("Label2"), QStringLiteral("Fkod"), Edit2, QStringLiteral("Edit2"));
    field(Label3, QStringLiteral("Label3"), QStringLiteral("Tulajdonos név:"), Edit3, QStringLiteral("Edit3"));
    field(Label5, QStringLiteral("Label5"), QStringLiteral("Cim:"), Edit5, QStringLiteral("Edit5"));
    field(Label4, QStringLiteral("Label4"), QStringLiteral("Tenyészkód"), Edit4, QStringLiteral("Edit4"));
    field(Label6, QStringLiteral("Label6"), QStringLiteral("Származási hely név:"), Edit6, QStringLiteral("Edit6"));
    field(Label7, QStringLiteral("Label7"), QStringLiteral("Cim"), Edit7, QStringLiteral("Edit7"));
    for (QLineEdit* e : {Edit1, Edit2}) {
        e->setReadOnly(true);
        e->setEnabled(false);
    }

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Mégsem"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton* b : {Button1, Button2}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    CheckBox1 = new QCheckBox(QStringLiteral("Tulajdonos cim = származási cim"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    lay->addLayout(buttons);
    lay->addWidget(CheckBox1);
    input::markLeavesForm(Button2);

    setTabOrder(Edit3, Edit5);
    setTabOrder(Edit5, Edit4);
    setTabOrder(Edit4, Edit6);
    setTabOrder(Edit6, Edit7);
    setTabOrder(Edit7, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, CheckBox1);
    Edit3->setFocus();

    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm5::Button2Click);
    input::onExit(Edit3, [this] { Edit3Exit(); });
    input::onExit(Edit5, [this] { Edit5Exit(); });

    fixAndCentre(this);
    input::enterAsTab(this);
}

TForm5::~TForm5()
{
    if (Form5 == this)
        Form5 = nullptr;
}

void TForm5::fillFromList()
{
    setWindowTitle(QStringLiteral("Feladó módositás"));
    const Dataset& q = Data->ZQ40;
    // A closed list reads as empty text, which would pass for an empty list: there is no row to read.
    if (!q.active())
        throw fb::Error(QStringLiteral("The partner list is not open"));
    Edit1->setText(q.fieldText(QStringLiteral("IDf")));
    Edit2->setText(q.fieldText(QStringLiteral("fKod")));
    Edit3->setText(q.fieldText(QStringLiteral("fNev")));
    Edit4->setText(q.fieldText(QStringLiteral("fTenykod")));
    Edit5->setText(q.fieldText(QStringLiteral("fCim")));
    Edit6->setText(q.fieldText(QStringLiteral("fszNev")));
    Edit7->setText(q.fieldText(QStringLiteral("fszCim")));
}

// Name and address alike go over to the place of origin while the box is ticked.
void TForm5::Edit3Exit()
{
    if (CheckBox1->isChecked())
        Edit6->setText(Edit3->text());
}

void TForm5::Edit5Exit()
{
    if (CheckBox1->isChecked())
        Edit7->setText(Edit5->text());
}

void TForm5::Button1Click()
{
    // A field of blanks only is empty; what is typed is saved as typed.
    const struct {
        QLineEdit* edit;
        const char16_t* message;
    } required[] = {
        {Edit3, u"Nincs megadva a neve!"},
        {Edit5, u"Nincs megadva a cim!"},
        {Edit4, u"Nincs megadva a tenyészkód!"},
        {Edit6, u"Nincs megadva a származási név!"},
        {Edit7, u"Nincs megadva a származási cim!"},
    };
    for (const auto& r : required) {
        if (convert::trimRight(r.edit->text()).isEmpty()) {
            platform::showMessage(this, QString::fromUtf16(r.message));
            r.edit->setFocus();
            return;
        }
    }

    const bool change = SenderEditMode != kNewMode;
    // A change opened on an empty list has no row behind it: there is nothing to update, and an
    // update keyed on an empty identifier must not reach the database.
    const bool nothingToChange = change && Edit1->text().trimmed().isEmpty();
    if (!nothingToChange) {
        try {
            if (!Data->IBTrans1.inTransaction())
                Data->IBTrans1.startTransaction();
            Dataset& w = Data->ZQ41;
            const auto bindValues = [this, &w] {
                w.setParamText(QStringLiteral("p2"), Edit3->text());
                w.setParamText(QStringLiteral("p3"), Edit5->text());
                w.setParamText(QStringLiteral("p4"), Edit4->text());
                w.setParamText(QStringLiteral("p5"), Edit6->text());
                w.setParamText(QStringLiteral("p6"), Edit7->text());
            };
            if (change) {
                try {
                    w.close();
                    w.clearSql();
                    w.addSql(QStringLiteral("UPDATE felado            "));
                    w.addSql(QStringLiteral("  SET  fNev     = :p2,   "));
                    w.addSql(QStringLiteral("       fCim     = :p3,   "));
                    w.addSql(QStringLiteral("       fTenykod = :p4,   "));
                    w.addSql(QStringLiteral("       fszNev   = :p5,   "));
                    w.addSql(QStringLiteral("       fszCim   = :p6    "));
                    w.addSql(QStringLiteral(" WHERE IDf      = :p0    "));
                    w.setParamText(QStringLiteral("p0"), Edit1->text());
                    bindValues();
                    w.execSql();
                    CurrentSenderCode = Edit2->text();
                    Data->IBTrans1.commit();
                } catch (const std::exception&) {
                    platform::showMessage(this, QStringLiteral("Hiba054: Módositás, Update a feladóban "));
                    Data->IBTrans1.rollback();
                }
            } else {
                try {
                    w.close();
                    w.clearSql();
                    w.addSql(QStringLiteral("INSERT INTO felado ( fNev, fCim, fTenykod, fszNev, fszCim ) "));
                    w.addSql(QStringLiteral("     VALUES        (  :p2,  :p3,      :p4,    :p5,    :p6 ) "));
                    bindValues();
                    w.execSql();
                    CurrentSenderCode = Edit2->text();
                    Data->IBTrans1.commit();
                } catch (const std::exception&) {
                    platform::showMessage(this, QStringLiteral("Hiba53: Újban, INSERT a feladóban "));
                    Data->IBTrans1.rollback();
                }
            }
        } catch (const std::exception&) {
            // The transaction could not be started or rolled back: keep the input for another try.
            platform::showMessage(this, QStringLiteral("Hiba055: az insert vagy update közben a feladóban!"));
            return;
        }
    }

    try {
        TForm4::reloadAfterWrite();
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
    close();
}

void TForm5::Button2Click() { close(); }
