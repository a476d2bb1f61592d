#include "maintenance/table_editor.h"

#include "storage/shared_datasets.h"
#include "maintenance/password_dialog.h"
#include "maintenance/table_unlock.h"
#include "ui/dbwidgets.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

TableEditorDialog::TableEditorDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form24"));
    setWindowTitle(QStringLiteral("Adatok"));
    buildLayout();
    connect(m_editButton, &QPushButton::clicked, this, &TableEditorDialog::askPasswordAndUnlock);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    m_editButton->installEventFilter(this);

    // The main window keeps the tables open; one that is closed (a commit closes every set) is
    // read here.
    tableedit::openTables(this, m_tables);
}

void TableEditorDialog::buildLayout()
{
    // Numbered as the tables are: there is no grid 5 (IBTable5, a second KISZALL, is not shown).
    const struct {
        int number;
        const char* caption;
        DataSource* source;
    } pages[] = {
        {1, "BESZALL", &Data->DS1},   {2, "KISZALL", &Data->DS2},   {3, "SZALLITO", &Data->DS3},
        {4, "FELADO", &Data->DS4},    {6, "FULSZAM", &Data->DS6},   {7, "BESZALL0 ", &Data->DS7},
        {8, "KISZALL0", &Data->DS8},  {9, "FULSZAM0", &Data->DS9},  {10, "PARTNER", &Data->DS100},
    };
    auto* lay = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    for (const auto& p : pages) {
        auto* page = new QWidget(m_pages);
        page->setObjectName(QStringLiteral("TabSheet%1").arg(p.number));
        auto* pageLay = new QVBoxLayout(page);
        auto* grid = new DBGrid(page);
        grid->setObjectName(QStringLiteral("DBGrid%1").arg(p.number));
        grid->setAccessibleName(QString::fromLatin1(p.caption).trimmed());
        grid->setDataSource(p.source);
        grid->showAllFields();
        auto* navigator = new DBNavigator(page);
        navigator->setObjectName(QStringLiteral("DBNavigator%1").arg(p.number));
        navigator->setDataSource(p.source);
        navigator->setVisibleButtons(DBNavigator::Buttons(DBNavigator::kAllButtons));
        pageLay->addWidget(grid, 1);
        pageLay->addWidget(navigator, 0, Qt::AlignLeft);
        m_pages->addTab(page, QString::fromLatin1(p.caption));
        m_tables.push_back(static_cast<TableDataset*>(&p.source->dataset()));
    }
    m_pages->setCurrentIndex(0);
    lay->addWidget(m_pages, 1);

    auto* buttons = new QHBoxLayout;
    m_editButton = new QPushButton(QStringLiteral("Szerkeszt"), this);
    m_editButton->setObjectName(QStringLiteral("Button6"));
    m_editButton->setAutoDefault(false);
    m_cancelButton = new QPushButton(QStringLiteral("Mégsem"), this);
    m_cancelButton->setObjectName(QStringLiteral("Button1"));
    m_cancelButton->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(m_editButton);
    buttons->addWidget(m_cancelButton);
    lay->addLayout(buttons);
    fixAndCentre(this, QSize(960, 600));
}

void TableEditorDialog::askPasswordAndUnlock()
{
    {
        PasswordDialog dialog(this);
        platform::showModal(&dialog);
        m_passwordAnswer = dialog.answer();
    }
    const maintenance::TableAccess access = maintenance::accessFor(m_passwordAnswer);
    if (access == maintenance::TableAccess::None)
        return;  // a wrong answer says nothing and changes nothing
    m_passwordAnswer.clear();
    unlock(access);
}

void TableEditorDialog::unlock(maintenance::TableAccess access)
{
    try {
        maintenance::unlockTables(access);
    } catch (const fb::Error& e) {
        platform::showMessage(this, e.message());
    }
}

bool TableEditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editButton && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && typed.at(0).toLower() == QChar(kUnlockLetter)) {
            unlock(maintenance::TableAccess::AllButPartner);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TableEditorDialog::done(int result)
{
    // An unsaved row is saved when the screen closes; one the database refuses keeps the screen
    // open on its table, so what was typed is corrected or dropped, never lost unseen.
    TableDataset* refused = nullptr;
    if (!tableedit::saveRows(this, m_tables, &refused)) {
        const auto it = std::find(m_tables.begin(), m_tables.end(), refused);
        m_pages->setCurrentIndex(static_cast<int>(it - m_tables.begin()));
        return;
    }
    QDialog::done(result);
}
