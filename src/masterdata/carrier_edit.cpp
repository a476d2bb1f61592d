#include "masterdata/carrier_edit.h"

#include "core/convert.h"
#include "core/datamodule.h"
#include "core/globals.h"
#include "db/error.h"
#include "masterdata/carrier_list.h"
#include "masterdata/listsupport.h"
#include "ui/layout.h"
#include "ui/input.h"
#include "ui/platform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm7* Form7 = nullptr;

namespace {
const QString kNewMode = QStringLiteral("Új szállító");
}

TForm7::TForm7(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Szállító"));
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
    field(Label1, QStringLiteral("Label1"), QStringLiteral("IDsz"), Edit1, QStringLiteral("Edit1"));
    field(Label2, QStringLiteral("Label2"), QStringLiteral("Szkód"), Edit2, QStringLiteral("Edit2"));
    field(Label3, QStringLiteral("Label3"), QStringLiteral("Rendszám:"), Edit3, QStringLiteral("Edit3"));
    field(Label4, QStringLiteral("Label4"), QStringLiteral("Név:"), Edit4, QStringLiteral("Edit4"));
    field(Label5, QStringLiteral("Label5"), QStringLiteral("Cim:"), Edit5, QStringLiteral("Edit5"));
    field(Label6, QStringLiteral("Label6"), QStringLiteral("Jóváhagy.szám:"), Edit6, QStringLiteral("Edit6"));
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
    lay->addLayout(buttons);
    input::markLeavesForm(Button2);

    // The buttons come first, so the dialog opens on "OK".
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Edit3);
    setTabOrder(Edit3, Edit4);
    setTabOrder(Edit4, Edit5);
    setTabOrder(Edit5, Edit6);
    Button1->setFocus();

    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click);

    fixAndCentre(this);
    input::enterAsTab(this);
}

TForm7::~TForm7()
{
    if (Form7 == this)
        Form7 = nullptr;
}

void TForm7::fillFromList()
{
    setWindowTitle(QStringLiteral("Szállító módositás"));
    const Dataset& q = Data->ZQ30;
    // A closed list reads as empty text, which would pass for an empty list: there is no row to read.
    if (!q.active())
        throw fb::Error(QStringLiteral("The carrier list is not open"));
    Edit1->setText(q.fieldText(QStringLiteral("IDs")));
    Edit2->setText(q.fieldText(QStringLiteral("sKod")));
    Edit3->setText(q.fieldText(QStringLiteral("sRendszam")));
    Edit4->setText(q.fieldText(QStringLiteral("sNev")));
    Edit5->setText(q.fieldText(QStringLiteral("sCim")));
    Edit6->setText(q.fieldText(QStringLiteral("sJovaszam")));
}

void TForm7::Button1Click()
{
    // A field of blanks only is empty; what is typed is saved as typed.
    const struct {
        QLineEdit* edit;
        const char16_t* message;
    } required[] = {
        {Edit4, u"Nincs megadva a név!"},
        {Edit5, u"Nincs megadva a cim!"},
        {Edit6, u"Nincs megadva a Jóváhagyás szám!"},
    };
    for (const auto& r : required) {
        if (convert::trimRight(r.edit->text()).isEmpty()) {
            platform::showMessage(this, QString::fromUtf16(r.message));
            r.edit->setFocus();
            return;
        }
    }

    const bool change = CarrierEditMode != kNewMode;
    // A change opened on an empty list has no row behind it: there is nothing to update, and an
    // update keyed on an empty identifier must not reach the database.
    const bool nothingToChange = change && Edit1->text().trimmed().isEmpty();
    if (!nothingToChange) {
        try {
            if (!Data->IBTrans1.inTransaction())
                Data->IBTrans1.startTransaction();
            Dataset& w = Data->ZQ31;
            if (change) {
                try {
                    w.close();
                    w.clearSql();
                    w.addSql(QStringLiteral("UPDATE szallito           "));
                    w.addSql(QStringLiteral("  SET  srendszam = :p2,   "));
                    w.addSql(QStringLiteral("       sNev      = :p3,   "));
                    w.addSql(QStringLiteral("       sCim      = :p4,   "));
                    w.addSql(QStringLiteral("       sJovaszam = :p5    "));
                    w.addSql(QStringLiteral(" WHERE IDs       = :p0    "));
                    w.setParamText(QStringLiteral("p0"), Edit1->text());
                    w.setParamText(QStringLiteral("p2"), Edit3->text());
                    w.setParamText(QStringLiteral("p3"), Edit4->text());
                    w.setParamText(QStringLiteral("p4"), Edit5->text());
                    w.setParamText(QStringLiteral("p5"), Edit6->text());
                    w.execSql();
                    CurrentCarrierCode = Edit2->text();
                    Data->IBTrans1.commit();
                } catch (const std::exception&) {
                    platform::showMessage(this, QStringLiteral("Hiba073: Módositás, Update a szállítóban "));
                    Data->IBTrans1.rollback();
                }
            } else {
                try {
                    w.close();
                    w.clearSql();
                    w.addSql(QStringLiteral("INSERT INTO szallito (srendszam, sNev, sCim, sJovaszam ) "));
                    w.addSql(QStringLiteral("       VALUES        (      :p2,  :p3,  :p4,       :p5 ) "));
                    w.setParamText(QStringLiteral("p2"), Edit3->text());
                    w.setParamText(QStringLiteral("p3"), Edit4->text());
                    w.setParamText(QStringLiteral("p4"), Edit5->text());
                    w.setParamText(QStringLiteral("p5"), Edit6->text());
                    w.execSql();
                    CurrentCarrierCode = Edit2->text();
                    Data->IBTrans1.commit();
                } catch (const std::exception&) {
                    platform::showMessage(this, QStringLiteral("Hiba072: Újban, INSERT a szallitóban "));
                    Data->IBTrans1.rollback();
                }
            }
        } catch (const std::exception&) {
            // The transaction could not be started or rolled back: keep the input for another try.
            platform::showMessage(this, QStringLiteral("Hiba074: az insert vagy update közben a szállitóban!"));
            return;
        }
    }

    try {
        TForm6::reloadAfterWrite();
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
    close();
}

void TForm7::Button2Click() { close(); }
