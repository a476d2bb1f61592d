#include "printing/eartag_list_printout.h"

#include "core/convert.h"
#include "storage/shared_datasets.h"
#include "printing/printout_screen.h"
#include "printing/report_feeds.h"
#include "report/variables.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QStringList kDepartures = {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk,"),
                                 QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
                                 QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
                                 QStringLiteral("FROM kiszall"),
                                 QStringLiteral("JOIN szallito ON szallito.skod = kiszall.kskod"),
                                 QStringLiteral("JOIN felado   ON felado.fkod = kiszall.kfkod"),
                                 QStringLiteral("WHERE kikelt = :p1"),
                                 QStringLiteral("ORDER BY kfulszam")};

QLineEdit* makeField(QWidget* parent, const QString& objectName, QLabel* label)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    label->setBuddy(field);
    return field;
}

}  // namespace

EarTagListPrintoutDialog::EarTagListPrintoutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form17"));
    setWindowTitle(QStringLiteral("Fülszámlista"));

    auto* lay = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* fields = new QGridLayout;
    m_dayLabel = printout::makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Kiszállitás napja: "));
    m_day = printout::makeDayField(this, m_dayLabel);
    m_placeLabel = printout::makeLabel(this, QStringLiteral("Label2"), QStringLiteral("Feladás helye:"));
    m_place = makeField(this, QStringLiteral("Edit2"), m_placeLabel);
    m_senderLabel = printout::makeLabel(this, QStringLiteral("Label3"), QStringLiteral("Feladó:"));
    m_sender = makeField(this, QStringLiteral("Edit3"), m_senderLabel);
    const int wide = m_place->fontMetrics().horizontalAdvance(QString(40, u'n'));
    m_place->setMinimumWidth(wide);
    m_sender->setMinimumWidth(wide);
    fields->addWidget(m_dayLabel, 0, 0);
    fields->addWidget(m_day, 0, 1, Qt::AlignLeft);
    fields->addWidget(m_placeLabel, 1, 0);
    fields->addWidget(m_place, 1, 1);
    fields->addWidget(m_senderLabel, 2, 0);
    fields->addWidget(m_sender, 2, 1);
    top->addLayout(fields);
    top->addSpacing(16);

    auto* buttons = new QVBoxLayout;
    m_selectButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Kiválaszt"));
    m_printButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Nyomtat"));
    m_cancelButton = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Mégsem"));
    buttons->addWidget(m_selectButton);
    buttons->addWidget(m_printButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    top->addLayout(buttons);
    top->addStretch(1);
    lay->addLayout(top);

    m_departures = printout::makeGrid(this, &Data->DS22,
                                      {{QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
                                       {QStringLiteral("KIKELT"), QStringLiteral("Kiszállítás")},
                                       {QStringLiteral("KHKAT"), QStringLiteral("Haszn.kat.")},
                                       {QStringLiteral("KEUBIZKI"), QStringLiteral("Eü.biz. ki")},
                                       {QStringLiteral("KEUBIZBE"), QStringLiteral("Eü.biz. be")},
                                       {QStringLiteral("KSKOD"), QStringLiteral("Száll.kód")},
                                       {QStringLiteral("SRENDSZAM"), QStringLiteral("Rendszám")},
                                       {QStringLiteral("SNEV"), QStringLiteral("Száll.neve")},
                                       {QStringLiteral("SCIM"), QStringLiteral("Száll.cime")},
                                       {QStringLiteral("SJOVASZAM"), QStringLiteral("Jóváhagy.száma")},
                                       {QStringLiteral("FNEV"), QStringLiteral("Vevö neve")},
                                       {QStringLiteral("FCIM"), QStringLiteral("Vevö cime")},
                                       {QStringLiteral("FTENYKOD"), QStringLiteral("Vevö teny.kód")},
                                       {QStringLiteral("FSZNEV"), QStringLiteral("Név")},
                                       {QStringLiteral("FSZCIM"), QStringLiteral("Cim")},
                                       {QStringLiteral("KFKOD"), QStringLiteral("Vevökód")},
                                       {QStringLiteral("IDK"), QStringLiteral("ID")}});
    m_departures->setAccessibleName(windowTitle());
    lay->addWidget(m_departures, 1);
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS22);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    setTabOrder(m_day, m_place);
    setTabOrder(m_place, m_sender);
    setTabOrder(m_sender, m_selectButton);
    setTabOrder(m_selectButton, m_printButton);
    setTabOrder(m_printButton, m_cancelButton);
    setTabOrder(m_cancelButton, m_departures);

    connect(m_selectButton, &QPushButton::clicked, this, &EarTagListPrintoutDialog::selectDay);
    connect(m_printButton, &QPushButton::clicked, this, &EarTagListPrintoutDialog::printList);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);

    fixAndCentre(this, QSize(900, 560));
}

void EarTagListPrintoutDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    printout::startOnToday(m_day);
}

bool EarTagListPrintoutDialog::selectDay()
{
    const auto day = printout::dayOrComplain(this, m_day);
    if (!day)
        return false;
    m_selected = printout::attempt(this, [&] {
        Dataset& q = Data->ZQ22;
        q.setSql(kDepartures);
        q.setParamDate(QStringLiteral("p1"), *day);
        q.open();
    });
    if (!m_selected)
        return false;
    m_printButton->setEnabled(true);
    return true;
}

void EarTagListPrintoutDialog::printList()
{
    // The list query is shared with other screens: without a selection of its own here, it
    // would print whatever they left in it.
    if (!m_selected && !selectDay())
        return;
    report::variables().setText(QStringLiteral("v_kelt"), m_day->text());
    report::variables().setText(QStringLiteral("v_hely"), m_place->text());
    report::variables().setText(QStringLiteral("v_felado"), m_sender->text());
    if (printout::attempt(this, [] { printout::reopenOwnCompany(); }))
        printout::showTemplate(ReportFeeds::of(*Data).frReport6, QStringLiteral("Fulszamlista.frf"), this);
}
