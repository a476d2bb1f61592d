#include "lookups/eartag_story.h"

#include "lookups/eartag_field.h"
#include "report/engine.h"
#include "storage/session.h"
#include "ui/dbwidgets.h"
#include "ui/layout.h"
#include "ui/modal.h"
#include "ui/platform.h"
#include "ui/report_rows.h"

#include <QAction>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString kTemplate = QStringLiteral("Fulszamtortenet.frf");
const QString kOnSite = QStringLiteral("telepen");

}  // namespace

EarTagStoryDialog::EarTagStoryDialog(Session& session, const QString& earTag, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_storyRows(session.database(), QStringLiteral("earTagStoryRows")),
      m_storyRowsSource(m_storyRows, QStringLiteral("earTagStoryRowsSource")),
      m_initialEarTag(earTag.trimmed())
{
    setObjectName(QStringLiteral("earTagStoryDialog"));
    setWindowTitle(QStringLiteral("Fülszám története"));

    m_earTagLabel = new QLabel(QStringLiteral("Fülszám:"), this);
    m_earTagLabel->setObjectName(QStringLiteral("earTagEditLabel"));
    m_earTag = lookups::makeEarTagField(this, m_earTagLabel);
    m_searchButton = makeButton(this, QStringLiteral("searchButton"), QStringLiteral("Keresés"));

    m_summaryLabel = new QLabel(this);
    m_summaryLabel->setObjectName(QStringLiteral("summaryLabel"));
    QFont bold = m_summaryLabel->font();
    bold.setBold(true);
    m_summaryLabel->setFont(bold);

    m_passes = makeListGrid(this, QStringLiteral("passesGrid"), &m_storyRowsSource,
                            {{QStringLiteral("SOR"), QStringLiteral("Sor")},
                             {QStringLiteral("BSZKELT"), QStringLiteral("Beérkezés")},
                             {QStringLiteral("BVKELT"), QStringLiteral("Vásárlás")},
                             {QStringLiteral("FELADO_NEV"), QStringLiteral("Feladó")},
                             {QStringLiteral("FELADO_TENYKOD"), QStringLiteral("Tenyészkód")},
                             {QStringLiteral("SZALLITO_BE"), QStringLiteral("Szállító (be)")},
                             {QStringLiteral("EUBIZ_BE"), QStringLiteral("Eü. biz. be")},
                             {QStringLiteral("KIKELT"), QStringLiteral("Kiszállítás")},
                             {QStringLiteral("VEVO_NEV"), QStringLiteral("Vevő")},
                             {QStringLiteral("SZALLITO_KI"), QStringLiteral("Szállító (ki)")},
                             {QStringLiteral("EUBIZ_KI"), QStringLiteral("Eü. biz. ki")},
                             {QStringLiteral("HKAT"), QStringLiteral("Haszn. kat.")},
                             {QStringLiteral("NAPOK"), QStringLiteral("Napok")},
                             {QStringLiteral("ALLAPOT"), QStringLiteral("Állapot")},
                             {QStringLiteral("HELY"), QStringLiteral("Hely")}});
    m_passes->setAccessibleName(windowTitle());
    m_summaryLabel->setBuddy(m_passes);
    m_navigator = makeListNavigator(this, QStringLiteral("passesNavigator"), &m_storyRowsSource);

    m_printButton = makeButton(this, QStringLiteral("printButton"), QStringLiteral("Nyomtat"));
    m_printButton->setEnabled(false);
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));

    auto* lay = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(m_earTagLabel);
    top->addWidget(m_earTag);
    top->addWidget(m_searchButton);
    top->addStretch(1);
    lay->addLayout(top);
    lay->addWidget(m_summaryLabel);
    lay->addWidget(m_passes, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_navigator);
    bottom->addStretch(1);
    bottom->addWidget(m_printButton);
    bottom->addWidget(m_cancelButton);
    lay->addLayout(bottom);

    setTabOrder(m_earTag, m_searchButton);
    setTabOrder(m_searchButton, m_passes);
    setTabOrder(m_passes, m_printButton);
    setTabOrder(m_printButton, m_cancelButton);

    // Enter in the field searches; the field passes the key on, and no button is a default one.
    connect(m_earTag, &QLineEdit::returnPressed, this, &EarTagStoryDialog::showStory);
    connect(m_searchButton, &QPushButton::clicked, this, &EarTagStoryDialog::showStory);
    connect(m_printButton, &QPushButton::clicked, this, &EarTagStoryDialog::printStory);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    fixAndCentre(this, QSize(1280, 480));
}

EarTagStoryDialog::~EarTagStoryDialog() = default;

void EarTagStoryDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    m_earTag->setFocus(Qt::OtherFocusReason);
    if (!m_initialEarTag.isEmpty()) {
        m_earTag->setText(m_initialEarTag);
        showStory();
    }
}

QString EarTagStoryDialog::summaryText(int passes, bool onSiteNow, qint64 daysOnSite)
{
    return QStringLiteral("Áthaladások száma: %1 – %2 – Telepen töltött napok összesen: %3")
        .arg(passes)
        .arg(onSiteNow ? QStringLiteral("Most a telepen") : QStringLiteral("Nincs a telepen"))
        .arg(daysOnSite);
}

void EarTagStoryDialog::clearStory()
{
    m_storyRows.close();
    m_shownEarTag.clear();
    m_summary.clear();
    m_summaryLabel->clear();
    m_printButton->setEnabled(false);
}

bool EarTagStoryDialog::showStory()
{
    // Pasted text may bring blanks around the number.
    const QString earTag = m_earTag->text().trimmed();
    if (earTag.isEmpty()) {
        clearStory();
        platform::showMessage(this, QStringLiteral("Adja meg a fülszámot!"));
        m_earTag->setFocus(Qt::OtherFocusReason);
        return false;
    }
    int passes = 0;
    bool onSiteNow = false;
    qint64 days = 0;
    try {
        m_session.earTagStories().openStory(m_storyRows, earTag, platform::today());
        passes = m_storyRows.recordCount();
        const int status = m_storyRows.fieldIndex(QStringLiteral("ALLAPOT"));
        const int daysColumn = m_storyRows.fieldIndex(QStringLiteral("NAPOK"));
        for (int row = 0; row < passes; ++row) {
            onSiteNow = onSiteNow || m_storyRows.cellText(row, status) == kOnSite;
            days += m_storyRows.cellText(row, daysColumn).toLongLong();
        }
        m_storyRows.first();
    } catch (const std::exception& e) {
        clearStory();
        platform::showError(this, e);
        return false;
    }
    if (passes == 0) {
        // The empty list stays in sight under the message.
        m_shownEarTag.clear();
        m_summary.clear();
        m_summaryLabel->clear();
        m_printButton->setEnabled(false);
        platform::showMessage(this, QStringLiteral("Ez a fülszám nem szerepel a nyilvántartásban."));
        m_earTag->setFocus(Qt::OtherFocusReason);
        m_earTag->selectAll();
        return false;
    }
    m_shownEarTag = earTag;
    m_summary = summaryText(passes, onSiteNow, days);
    m_summaryLabel->setText(m_summary);
    m_printButton->setEnabled(true);
    m_earTag->selectAll();
    return true;
}

void EarTagStoryDialog::printStory()
{
    if (m_shownEarTag.isEmpty() || !m_storyRows.active())
        return;
    try {
        // The heading shows the company's record as it is now.
        TableDataset& company = m_session.tables().company;
        company.close();
        company.open();

        report::Catalog catalog;
        DatasetReportRows storyRows(m_storyRows);
        DatasetReportRows companyRows(company);
        report::ReportDataset story(QStringLiteral("earTagStory"), &storyRows, catalog);
        catalog.addSource(QStringLiteral("company"), &companyRows, report::Catalog::OpenPolicy::OpenWhenClosed);

        report::Report printout(QStringLiteral("earTagStoryReport"), catalog);
        printout.loadFromFile(kTemplate);
        printout.previewButtons = report::kStandardButtons | report::PreviewButton::Print;
        printout.modalPreview = true;
        const QString earTag = m_shownEarTag;
        const QString summary = m_summary;
        printout.onGetValue = [&](const QString& name, std::optional<report::Value>& value) {
            if (name.compare(QLatin1String("v_fulszam"), Qt::CaseInsensitive) == 0)
                value = report::Value::text(earTag);
            else if (name.compare(QLatin1String("v_osszegzes"), Qt::CaseInsensitive) == 0)
                value = report::Value::text(summary);
        };
        const int current = m_storyRows.recNo();
        printout.showReport(this);
        // The printout walked the rows: the grid goes back to the row it was on.
        m_storyRows.moveTo(current);
    } catch (const report::TemplateError& e) {
        platform::showError(this, e.message());
    } catch (const report::Error& e) {
        platform::showError(this, e.message());
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
}

// ---------------------------------------------------------------- opening from a list

namespace lookups {

QString currentEarTag(const Dataset& rows)
{
    if (!rows.active() || rows.recNo() < 0)
        return {};
    for (const QString& field : {QStringLiteral("BFULSZAM"), QStringLiteral("KFULSZAM")})
        if (rows.hasField(field))
            return rows.fieldText(field).trimmed();
    return {};
}

void showEarTagStory(Session& session, QWidget* parent, const QString& earTag)
{
    runScreen<EarTagStoryDialog>(parent, session, earTag);
}

QAction* addEarTagStoryAction(Session& session, DBGrid* grid)
{
    auto* action = new QAction(QStringLiteral("Fülszám története"), grid);
    action->setObjectName(QStringLiteral("earTagStoryAction"));
    grid->addAction(action);
    const auto rowsTag = [grid] {
        const Dataset* rows = grid->datasetModel()->dataset();
        return rows ? currentEarTag(*rows) : QString();
    };
    const auto update = [action, rowsTag] { action->setEnabled(!rowsTag().isEmpty()); };
    QAbstractItemModel* model = grid->model();
    QObject::connect(model, &QAbstractItemModel::modelReset, action, update);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, action, update);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, action, update);
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, action, update);
    QObject::connect(action, &QAction::triggered, grid, [&session, grid, rowsTag] {
        const QString earTag = rowsTag();
        if (!earTag.isEmpty())
            showEarTagStory(session, grid->window(), earTag);
    });
    update();
    return action;
}

}  // namespace lookups
