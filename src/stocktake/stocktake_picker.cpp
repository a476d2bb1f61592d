#include "stocktake/stocktake_picker.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "storage/session.h"
#include "ui/dbwidgets.h"
#include "ui/layout.h"
#include "ui/platform.h"

StockTakePickerDialog::StockTakePickerDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      m_rows(session.database(), QStringLiteral("stockTakeListRows")),
      m_source(m_rows, QStringLiteral("stockTakeListSource"))
{
    setObjectName(QStringLiteral("stockTakePickerDialog"));
    setWindowTitle(QStringLiteral("Leltárak"));
    m_grid = makeListGrid(this, QStringLiteral("stockTakesGrid"), &m_source,
                          {{QStringLiteral("IDL"), QStringLiteral("Sorszám")},
                           {QStringLiteral("LKEZDET"), QStringLiteral("Kezdve")},
                           {QStringLiteral("LFELHASZNALO"), QStringLiteral("Kezdte")},
                           {QStringLiteral("LGEP"), QStringLiteral("Gép")},
                           {QStringLiteral("LLEZARVA"), QStringLiteral("Lezárva")},
                           {QStringLiteral("LLEZARTA"), QStringLiteral("Lezárta")},
                           {QStringLiteral("LLEZAROGEP"), QStringLiteral("Gépen")},
                           {QStringLiteral("LDB"), QStringLiteral("Olvasások")}});
    QLabel* label =
        buddyLabel(QStringLiteral("A leltárak, a legújabb elöl. Üres „Lezárva”: nyitott, folytatható."), m_grid);
    m_openButton = makeButton(this, QStringLiteral("openButton"), QStringLiteral("Megnyitás"));
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));

    auto* lay = new QVBoxLayout(this);
    lay->addWidget(label);
    lay->addWidget(m_grid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_openButton);
    buttons->addWidget(m_cancelButton);
    lay->addLayout(buttons);

    connect(m_openButton, &QPushButton::clicked, this, &StockTakePickerDialog::choose);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &StockTakePickerDialog::choose);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 400);

    try {
        session.stockTakes().openStockTakeList(m_rows);
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
    m_openButton->setEnabled(m_rows.active() && !m_rows.isEmpty());
    m_grid->setFocus(Qt::OtherFocusReason);
}

void StockTakePickerDialog::choose()
{
    if (!m_rows.active() || m_rows.isEmpty() || m_rows.recNo() < 0)
        return;
    m_chosen = m_rows.fieldInt(QStringLiteral("IDL"));
    accept();
}
