#include "masterdata/register_list.h"

#include "core/dataset.h"
#include "masterdata/register_edit.h"
#include "storage/session.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

RegisterListDialog::RegisterListDialog(Session& session, masterdata::ListScreen screen, QWidget* parent)
    : QDialog(parent), m_session(session), m_screen(std::move(screen))
{
    setObjectName(m_screen.objectName);
    setWindowTitle(m_screen.title);
    auto* lay = new QVBoxLayout(this);

    m_heading = new QLabel(m_screen.headingAtStart, this);
    m_heading->setObjectName(QStringLiteral("headingLabel"));
    lay->addWidget(m_heading);

    DataSource* source = &m_screen.reg.store->listSource();
    m_list = makeListGrid(this, QStringLiteral("listGrid"), source, m_screen.columns);
    m_list->setAccessibleName(m_screen.title);
    m_list->setMinimumSize(m_screen.gridMinimum);
    m_heading->setBuddy(m_list);
    lay->addWidget(m_list);
    m_navigator = makeListNavigator(this, QStringLiteral("listNavigator"), source);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    m_details = buildDetails();
    lay->addWidget(m_details);

    auto* buttons = new QHBoxLayout;
    m_chooseButton = makeButton(this, QStringLiteral("chooseButton"), QStringLiteral("Kiválaszt"));
    m_newButton = makeButton(this, QStringLiteral("newButton"), QStringLiteral("Új"));
    m_changeButton = makeButton(this, QStringLiteral("changeButton"), QStringLiteral("Módosít"));
    m_deleteButton = makeButton(this, QStringLiteral("deleteButton"), QStringLiteral("Töröl"));
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));
    for (QPushButton* b : {m_chooseButton, m_newButton, m_changeButton, m_deleteButton, m_cancelButton})
        buttons->addWidget(b);
    lay->addLayout(buttons);

    // "Kiválaszt" and "Mégsem" only close the screen: a caller picking from it takes the row that
    // is current at that moment (pickers.h).
    connect(m_chooseButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_newButton, &QPushButton::clicked, this, &RegisterListDialog::addRow);
    connect(m_changeButton, &QPushButton::clicked, this, &RegisterListDialog::changeCurrentRow);
    connect(m_deleteButton, &QPushButton::clicked, this, &RegisterListDialog::deleteCurrentRow);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &DBGrid::titleClicked, this, &RegisterListDialog::sortByColumn);

    fixAndCentre(this);
    // Loaded when created and again, positioned, when shown.
    try {
        m_screen.reg.store->openList();
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
}

QGroupBox* RegisterListDialog::buildDetails()
{
    auto* box = new QGroupBox(QStringLiteral("Adatok"), this);
    box->setObjectName(QStringLiteral("detailsBox"));
    auto* grid = new QGridLayout(box);
    int columns = 1;
    for (const masterdata::DetailLine& line : m_screen.details)
        columns = std::max(columns, static_cast<int>(line.texts.size()));
    for (const masterdata::DetailLine& line : m_screen.details) {
        const int row = grid->rowCount();
        DBText* text = nullptr;
        for (size_t i = 0; i < line.texts.size(); ++i) {
            text = new DBText(box);
            text->setObjectName(fieldTextName(line.texts[i].field));
            const QString& name = line.texts[i].accessibleName;
            text->setAccessibleName(name.isEmpty() ? line.caption : name);
            text->bind(&m_screen.reg.store->listSource(), line.texts[i].field);
            // A line of one text spans the columns that other lines share out among theirs.
            if (line.texts.size() == 1)
                grid->addWidget(text, row, 1, 1, columns);
            else
                grid->addWidget(text, row, 1 + static_cast<int>(i));
        }
        grid->addWidget(buddyLabel(line.caption, text), row, 0);
    }
    grid->setColumnStretch(columns, 1);
    return box;
}

void RegisterListDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Only the screen being opened reloads; the window manager restoring it does not.
    if (!event->spontaneous())
        reloadOnShow();
}

void RegisterListDialog::reloadOnShow()
{
    try {
        m_screen.reg.store->openList();
        masterdata::locateRemembered(m_screen.reg);
        m_heading->setText(m_screen.headingOnShow);
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
}

void RegisterListDialog::addRow()
{
    const std::unique_ptr<RegisterEditDialog> editor = createEditor(EntryMode::New);
    runEditor(*editor);
}

void RegisterListDialog::changeCurrentRow()
{
    const std::unique_ptr<RegisterEditDialog> editor = createEditor(EntryMode::Change);
    try {
        editor->fillFromList();
    } catch (const std::exception&) {
        platform::showMessage(this, m_screen.unreadableRow);
        return;
    }
    runEditor(*editor);
}

void RegisterListDialog::runEditor(RegisterEditDialog& editor)
{
    // Only a save closes the dialog accepted; closed otherwise it wrote nothing.
    if (platform::showModal(&editor) == QDialog::Accepted)
        reloadAfterWrite();
}

void RegisterListDialog::deleteCurrentRow()
{
    masterdata::deleteCurrentRow(this, m_session, m_screen.reg, m_screen.deletion);
    reloadAfterWrite();
}

void RegisterListDialog::reloadAfterWrite()
{
    try {
        masterdata::reloadOnRemembered(m_screen.reg);
        m_heading->setText(m_screen.headingAfterWrite);
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
}

void RegisterListDialog::sortByColumn(int column)
{
    const auto& orders = m_screen.sortOrders;
    const auto order =
        std::find_if(orders.begin(), orders.end(), [column](const auto& o) { return o.column == column; });
    if (order == orders.end())
        return;
    try {
        order->openList();
        m_heading->setText(order->heading);
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
}
