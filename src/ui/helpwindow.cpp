#include "ui/helpwindow.h"

#include "ui/layout.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

// Outside any namespace: the resource initialiser of a static library.
static void initHelpResource() { Q_INIT_RESOURCE(help); }

namespace {
// Large, plain text for reading at the desk; the messages stand out as the person sees them.
const QString kStyle = QStringLiteral(
    "body { font-family: 'DejaVu Sans', sans-serif; font-size: 11pt; }"
    "h1 { font-size: 16pt; color: #1b5e20; }"
    "h2 { font-size: 13pt; color: #1b5e20; }"
    "p.path { background-color: #eef5ee; }"
    "p.nav { font-size: 10pt; }"
    ".msg { font-weight: bold; color: #7a1f00; }"
    "a { color: #0b4fa8; }");
}  // namespace

QUrl HelpWindow::contentsUrl() { return QUrl(QStringLiteral("qrc:/help/index.html")); }

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent)
{
    initHelpResource();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Gerundo súgó"));
    auto* lay = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    m_backButton = makeButton(this, QStringLiteral("BackButton"), QStringLiteral("Vissza"));
    m_contentsButton = makeButton(this, QStringLiteral("ContentsButton"), QStringLiteral("Tartalom"));
    m_closeButton = makeButton(this, QStringLiteral("CloseButton"), QStringLiteral("Bezárás"));
    row->addWidget(m_backButton);
    row->addWidget(m_contentsButton);
    row->addStretch();
    row->addWidget(m_closeButton);
    lay->addLayout(row);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setAccessibleName(QStringLiteral("Súgó"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    m_browser->document()->setDefaultStyleSheet(kStyle);
    lay->addWidget(m_browser);
    m_backButton->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_backButton, &QPushButton::setEnabled);
    connect(m_backButton, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_contentsButton, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(QStringLiteral("Gerundo súgó – %1").arg(m_browser->documentTitle()));
    });
    m_browser->setSource(contentsUrl());
    resize(760, 620);
}
