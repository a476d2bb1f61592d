#include "maintenance/dispatch_deletion.h"

#include "storage/shared_datasets.h"
#include "ui/dbwidgets.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

DispatchDeletionDialog::DispatchDeletionDialog(QWidget* parent)
    : QDialog(parent), m_sharedWork(Data->workLocks, this, {SharedWork::DepartureMoves})
{
    setObjectName(QStringLiteral("Form23"));
    setWindowTitle(QStringLiteral("Kiszállítottak törlése"));
    buildLayout();
    connect(m_deleteButton, &QPushButton::clicked, this, &DispatchDeletionDialog::deleteAllDispatches);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    tableedit::openTables(this, {&Data->IBTable2});
}

void DispatchDeletionDialog::buildLayout()
{
    auto* lay = new QVBoxLayout(this);
    int number = 1;
    for (const QString& line : {QStringLiteral("A kiszállított tételek  törlése."),
                                QStringLiteral("Az arhivált kiszállításokat nem törli."),
                                QStringLiteral("A törlés után nem állítható vissza."),
                                QStringLiteral("Csak azokat a napokat legyenek a kiszállításban melyeket  törölni szeretne."),
                                QStringLiteral("Nem törlendő napokat ideiglenesen arhiválja le , majd törlés után "
                                               "visszatöltés az arhivból.")}) {
        auto* label = new QLabel(line, this);
        label->setObjectName(QStringLiteral("Label%1").arg(number++));
        lay->addWidget(label);
    }

    m_dispatches = new DBGrid(this);
    m_dispatches->setObjectName(QStringLiteral("DBGrid1"));
    m_dispatches->setAccessibleName(QStringLiteral("Kiszállítás"));
    m_dispatches->setDataSource(&Data->DS2);
    m_dispatches->showAllFields();
    lay->addWidget(m_dispatches, 1);

    m_navigator = new DBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setDataSource(&Data->DS2);
    m_navigator->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    m_deleteButton = new QPushButton(QStringLiteral("Törlés"), this);
    m_deleteButton->setObjectName(QStringLiteral("Button1"));
    m_deleteButton->setAutoDefault(false);
    m_cancelButton = new QPushButton(QStringLiteral("Mégsem"), this);
    m_cancelButton->setObjectName(QStringLiteral("Button2"));
    m_cancelButton->setAutoDefault(false);
    buttons->addWidget(m_deleteButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    lay->addLayout(buttons);
    fixAndCentre(this, QSize(900, 560));
}

void DispatchDeletionDialog::deleteAllDispatches()
{
    if (!m_sharedWork.take())
        return;
    // An unsaved row of the grid belongs to the rows that go: it goes with them.
    Data->IBTable2.cancel();
    try {
        // The grid's reading may have started the transaction; reading it again after the
        // deletion must not commit the deletion with it.
        Data->holdTransaction();
        Data->IBTable2.open();
        Dataset& q = Data->ZQ23;
        q.close();
        q.clearSql();
        q.addSql(QStringLiteral("DELETE FROM kiszall    "));
        q.execSql();
        // No commit here: the deletion stays in the shared transaction until its next commit (a
        // save anywhere, or the main window's closing), and a rollback before that undoes it.
        m_sharedWork.keepUntilCommitted();
        platform::showMessage(this, QStringLiteral("A kiszállitás sorok törölve!"));
    } catch (const std::exception&) {
        // The engine has undone the failed statement; nothing else pending is rolled back.
        platform::showMessage(this, QStringLiteral("Hiba231: Kiszállitás DELETE törlésekor"));
    }
    // The grid shows what is left.
    tableedit::refresh(this, Data->IBTable2);
}

void DispatchDeletionDialog::done(int result)
{
    // A row typed into the (unlocked) grid is saved when the screen closes; one the database
    // refuses keeps the screen open for correcting or dropping it.
    if (!tableedit::saveRow(this, Data->IBTable2))
        return;
    QDialog::done(result);
}
