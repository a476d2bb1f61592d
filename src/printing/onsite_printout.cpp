#include "printing/onsite_printout.h"

#include "storage/shared_datasets.h"
#include "printing/printout_screen.h"
#include "printing/report_feeds.h"
#include "report/variables.h"
#include "ui/dbwidgets.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Every live arrival whose ear tag has no departure.
const QStringList kAnimalsOnSite = {QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb"),
                                    QStringLiteral("FROM beszall"),
                                    QStringLiteral("LEFT JOIN kiszall on beszall.bfulszam = kiszall.kfulszam"),
                                    QStringLiteral("WHERE kfulszam  IS NULL")};

// The simple list: the arrival date a second time, for the template's days on site.
const QStringList kSimpleList = {QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, bszkelt"),
                                 QStringLiteral("FROM beszall"),
                                 QStringLiteral("LEFT JOIN kiszall on beszall.bfulszam = kiszall.kfulszam"),
                                 QStringLiteral("WHERE kfulszam  IS NULL")};

const QStringList kDetailedList = {QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb,"),
                                   QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
                                   QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
                                   QStringLiteral("FROM beszall"),
                                   QStringLiteral("JOIN szallito ON szallito.skod = beszall.bskod"),
                                   QStringLiteral("JOIN felado ON felado.fkod = beszall.bfkod"),
                                   QStringLiteral("LEFT JOIN kiszall on beszall.bfulszam = kiszall.kfulszam"),
                                   QStringLiteral("WHERE kfulszam  IS NULL")};

const QString kByEarTag = QStringLiteral("ORDER BY bfulszam");
// Most days on site first: the oldest arrival leads; ear tags order the animals of one day. The
// columns are qualified because the simple list names the arrival date twice.
const QString kByDaysOnSite = QStringLiteral("ORDER BY beszall.bszkelt, beszall.bfulszam");

void openList(Dataset& query, const QStringList& lines, OnSiteListPrintoutDialog::Order order)
{
    query.setSql(lines);
    query.addSql(order == OnSiteListPrintoutDialog::Order::ByEarTag ? kByEarTag : kByDaysOnSite);
    query.open();
}

QRadioButton* makeRadio(QWidget* parent, const QString& objectName, const QString& caption)
{
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(objectName);
    return radio;
}

}  // namespace

OnSiteListPrintoutDialog::OnSiteListPrintoutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form16"));
    setWindowTitle(QStringLiteral("Telepen"));

    auto* lay = new QVBoxLayout(this);
    m_title = printout::makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Telepen lévő állatok  listája "));
    QFont big = m_title->font();
    big.setBold(true);
    m_title->setFont(big);
    lay->addWidget(m_title);

    m_animals = printout::makeGrid(this, &Data->DS11,
                                   {{QStringLiteral("BFULSZAM"), QStringLiteral("Fulszám")},
                                    {QStringLiteral("BSZKELT"), QStringLiteral("Beszállítás")},
                                    {QStringLiteral("BVKELT"), QStringLiteral("Vásárlás")},
                                    {QStringLiteral("BHKAT"), QStringLiteral("Haszn.kat.")},
                                    {QStringLiteral("BEUBIZ"), QStringLiteral("Eü.biz. be")},
                                    {QStringLiteral("BSKOD"), QStringLiteral("Szállító kódja")},
                                    {QStringLiteral("BFKOD"), QStringLiteral("Feladó kódja")},
                                    {QStringLiteral("IDB"), QStringLiteral("ID")}});
    m_title->setBuddy(m_animals);
    m_animals->setAccessibleName(m_title->text().trimmed());
    lay->addWidget(m_animals, 1);
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS11);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* choices = new QHBoxLayout;
    m_formBox = new QGroupBox(QStringLiteral("Lista forma:"), this);
    m_formBox->setObjectName(QStringLiteral("GroupBox1"));
    auto* formLay = new QVBoxLayout(m_formBox);
    m_simple = makeRadio(m_formBox, QStringLiteral("RadioButton1"), QStringLiteral("Egyszerü"));
    m_detailed = makeRadio(m_formBox, QStringLiteral("RadioButton2"), QStringLiteral("Részletes (fülszám szerint)"));
    m_detailed->setChecked(true);
    formLay->addWidget(m_simple);
    formLay->addWidget(m_detailed);
    formLay->addStretch(1);
    choices->addWidget(m_formBox);

    m_orderBox = new QGroupBox(QStringLiteral("Egyszerü lista nyomtatási sorrendje:"), this);
    m_orderBox->setObjectName(QStringLiteral("GroupBox2"));
    auto* orderLay = new QGridLayout(m_orderBox);
    m_dayLabel = printout::makeLabel(m_orderBox, QStringLiteral("Label2"), QStringLiteral("Kiszállitás napja: "));
    m_day = printout::makeDayField(m_orderBox, m_dayLabel);
    m_byEarTag = makeRadio(m_orderBox, QStringLiteral("RadioButton3"), QStringLiteral("Fülszám"));
    m_byDaysOnSite = makeRadio(m_orderBox, QStringLiteral("RadioButton4"), QStringLiteral("Napok száma"));
    m_byDaysOnSite->setChecked(true);
    orderLay->addWidget(m_dayLabel, 0, 0);
    orderLay->addWidget(m_day, 0, 1, Qt::AlignLeft);
    orderLay->addWidget(m_byEarTag, 1, 0, 1, 2);
    orderLay->addWidget(m_byDaysOnSite, 2, 0, 1, 2);
    orderLay->setColumnStretch(1, 1);
    choices->addWidget(m_orderBox);
    choices->addStretch(1);

    auto* buttons = new QVBoxLayout;
    m_printButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Nyomtat"));
    m_cancelButton = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Mégsem"));
    buttons->addWidget(m_printButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    choices->addLayout(buttons);
    lay->addLayout(choices);

    connect(m_printButton, &QPushButton::clicked, this, &OnSiteListPrintoutDialog::printList);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);

    fixAndCentre(this, QSize(860, 560));

    printout::attempt(this, [] {
        Data->ZQ11.setSql(kAnimalsOnSite);
        Data->ZQ11.open();
    });
}

OnSiteListPrintoutDialog::Form OnSiteListPrintoutDialog::form() const
{
    return m_simple->isChecked() ? Form::Simple : Form::Detailed;
}

OnSiteListPrintoutDialog::Order OnSiteListPrintoutDialog::order() const
{
    return m_byEarTag->isChecked() ? Order::ByEarTag : Order::ByDaysOnSite;
}

void OnSiteListPrintoutDialog::printList()
{
    const bool simple = form() == Form::Simple;
    // Only the simple list counts days, so only it needs the dispatch day.
    std::optional<QDate> day;
    if (simple) {
        day = printout::dayOrComplain(this, m_day);
        if (!day)
            return;
    }
    const bool opened = printout::attempt(this, [&] {
        printout::reopenOwnCompany();
        openList(simple ? Data->ZQ11 : Data->ZQ12, simple ? kSimpleList : kDetailedList, order());
    });
    if (!opened)
        return;
    if (simple)
        report::variables().setDate(QStringLiteral("v_datum"), *day);
    printout::showTemplate(ReportFeeds::of(*Data).frReport5,
                           simple ? QStringLiteral("Telepennap.frf") : QStringLiteral("Telepen.frf"), this);
}
