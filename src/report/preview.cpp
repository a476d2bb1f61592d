#include "report/preview.h"

#include "report/host.h"
#include "report/render.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace report {

namespace {
constexpr double kGap = 16;  // pixels between the pages and around them
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 8.0;

const QString kPreparedFilter = QStringLiteral("Mentett jelentés (*.frp)");
const QString kPdfFilter = QStringLiteral("PDF dokumentum (*.pdf)");
}  // namespace

// ---------------------------------------------------------------- PageView

PageView::PageView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("pageView"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
    setAccessibleName(QStringLiteral("Oldalak"));
}

void PageView::setReport(const PreparedReport* report)
{
    m_report = report;
    m_highlightPage = m_highlightText = -1;
    m_current = -1;
    relayout();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    notifyCurrentPage();
}

double PageView::pixelsPerMm() const { return m_zoom * logicalDpiX() / 25.4; }

void PageView::setZoom(double zoom)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    // Keep the same spot of the current page in view.
    const int page = currentPage();
    double within = 0;
    if (page >= 0) {
        const QRectF r = pageRect(page);
        within = (verticalScrollBar()->value() - r.top()) / std::max(1.0, r.height());
    }
    m_zoom = zoom;
    relayout();
    if (page >= 0) {
        const QRectF r = pageRect(page);
        verticalScrollBar()->setValue(static_cast<int>(std::lround(r.top() + within * r.height())));
    }
    viewport()->update();
    notifyCurrentPage();
}

double PageView::zoomForPageWidth() const
{
    if (!m_report || m_report->pages.empty())
        return 1.0;
    double widest = 0;
    for (const PreparedPage& p : m_report->pages)
        widest = std::max(widest, p.size.width());
    const double available = viewport()->width() - 2 * kGap;
    return std::clamp(available / (widest * logicalDpiX() / 25.4), kMinZoom, kMaxZoom);
}

double PageView::zoomForWholePage() const
{
    if (!m_report || m_report->pages.empty())
        return 1.0;
    double tallest = 0;
    for (const PreparedPage& p : m_report->pages)
        tallest = std::max(tallest, p.size.height());
    const double byHeight = (viewport()->height() - 2 * kGap) / (tallest * logicalDpiX() / 25.4);
    return std::clamp(std::min(byHeight, zoomForPageWidth()), kMinZoom, kMaxZoom);
}

void PageView::relayout()
{
    m_tops.clear();
    m_contentWidth = 0;
    m_contentHeight = kGap;
    const double ppm = pixelsPerMm();
    if (m_report) {
        for (const PreparedPage& p : m_report->pages) {
            m_tops.push_back(m_contentHeight);
            m_contentHeight += p.size.height() * ppm + kGap;
            m_contentWidth = std::max(m_contentWidth, p.size.width() * ppm + 2 * kGap);
        }
    }
    const QSize vp = viewport()->size();
    verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(std::ceil(m_contentHeight)) - vp.height()));
    verticalScrollBar()->setPageStep(vp.height());
    horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(std::ceil(m_contentWidth)) - vp.width()));
    horizontalScrollBar()->setPageStep(vp.width());
}

QRectF PageView::pageRect(int page) const
{
    if (!m_report || page < 0 || page >= static_cast<int>(m_tops.size()))
        return {};
    const PreparedPage& p = m_report->pages[static_cast<size_t>(page)];
    const double ppm = pixelsPerMm();
    const double width = p.size.width() * ppm;
    const double area = std::max(m_contentWidth, static_cast<double>(viewport()->width()));
    return QRectF((area - width) / 2, m_tops[static_cast<size_t>(page)], width, p.size.height() * ppm);
}

int PageView::pageAtProbe() const
{
    if (m_tops.empty())
        return -1;
    const double probe = verticalScrollBar()->value() + viewport()->height() / 3.0;
    const auto it = std::upper_bound(m_tops.begin(), m_tops.end(), probe);
    return std::max(0, static_cast<int>(it - m_tops.begin()) - 1);
}

void PageView::makeCurrent(int page)
{
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(page);
    }
}

void PageView::goToPage(int page)
{
    if (m_tops.empty())
        return;
    page = std::clamp(page, 0, static_cast<int>(m_tops.size()) - 1);
    verticalScrollBar()->setValue(static_cast<int>(m_tops[static_cast<size_t>(page)] - kGap / 2));
    // The last pages may not reach the upper part of the view; they are current all the same.
    makeCurrent(page);
    viewport()->update();
}

void PageView::setHighlight(int page, int textIndex)
{
    m_highlightPage = page;
    m_highlightText = textIndex;
    if (m_report && page >= 0 && page < m_report->pageCount()) {
        const PreparedPage& p = m_report->pages[static_cast<size_t>(page)];
        if (textIndex >= 0 && textIndex < static_cast<int>(p.texts.size())) {
            const double ppm = pixelsPerMm();
            const QRectF pr = pageRect(page);
            const QRectF& t = p.texts[static_cast<size_t>(textIndex)].rect;
            const double top = pr.top() + t.top() * ppm;
            const double bottom = pr.top() + t.bottom() * ppm;
            const int v = verticalScrollBar()->value();
            if (top < v || bottom > v + viewport()->height())
                verticalScrollBar()->setValue(static_cast<int>(top - viewport()->height() / 3.0));
            const double left = pr.left() + t.left() * ppm;
            const double right = pr.left() + t.right() * ppm;
            const int h = horizontalScrollBar()->value();
            if (left < h || right > h + viewport()->width())
                horizontalScrollBar()->setValue(static_cast<int>(left - kGap));
            // The hit's page is current, even when the hit was in view already below another page.
            makeCurrent(page);
        }
    }
    viewport()->update();
}

void PageView::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    p.fillRect(event->rect(), QColor(0x80, 0x80, 0x80));
    if (!m_report || m_tops.empty())
        return;
    const double ppm = pixelsPerMm();
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRectF visible = QRectF(event->rect()).translated(scroll);
    // The first page whose bottom is in view, then on while pages start above the view's bottom.
    auto it = std::upper_bound(m_tops.begin(), m_tops.end(), visible.top());
    int first = std::max(0, static_cast<int>(it - m_tops.begin()) - 1);
    for (int i = first; i < static_cast<int>(m_tops.size()); ++i) {
        const QRectF r = pageRect(i);
        if (r.top() > visible.bottom())
            break;
        if (r.bottom() < visible.top())
            continue;
        const QRectF onScreen = r.translated(-scroll);
        p.fillRect(onScreen.translated(3, 3), QColor(0x50, 0x50, 0x50));
        p.fillRect(onScreen, Qt::white);
        p.save();
        p.setClipRect(onScreen);
        p.translate(onScreen.topLeft());
        paintPage(p, *m_report, i, ppm);
        if (i == m_highlightPage && m_highlightText >= 0 &&
            m_highlightText < static_cast<int>(m_report->pages[static_cast<size_t>(i)].texts.size())) {
            const QRectF& t = m_report->pages[static_cast<size_t>(i)].texts[static_cast<size_t>(m_highlightText)].rect;
            const QRectF hr(t.x() * ppm, t.y() * ppm, t.width() * ppm, t.height() * ppm);
            p.fillRect(hr, QColor(255, 220, 0, 110));
            p.setPen(QPen(QColor(230, 120, 0), 2));
            p.drawRect(hr);
        }
        p.restore();
        ++m_paintedPages;
        emit pagePainted(i);
    }
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
    notifyCurrentPage();
}

void PageView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int delta = event->angleDelta().y();
        if (delta != 0)
            emit zoomRequested(delta > 0 ? 1 : -1);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void PageView::notifyCurrentPage()
{
    const int page = pageAtProbe();
    // At the bottom of the desk a later page chosen by the person stays current, though its top
    // never reaches the upper part of the view.
    if (m_current > page && verticalScrollBar()->value() >= verticalScrollBar()->maximum())
        return;
    makeCurrent(page);
}

// ---------------------------------------------------------------- PreviewWindow

PreviewWindow::PreviewWindow(const PreparedReport& report, const PreviewOptions& options, QWidget* parent)
    : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setModal(options.modal);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    buildLayout(options);
    m_view->setReport(&m_report);
    reportChanged();
    QSize size(900, 1000);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        size = QSize(std::min(900, avail.width() * 9 / 10), avail.height() * 9 / 10);
    }
    resize(size);
}

void PreviewWindow::buildLayout(const PreviewOptions& options)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("toolBar"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(2);
    const auto button = [&](const QString& name, const QString& text, const QString& tip,
                            QStyle::StandardPixmap icon = QStyle::SP_CustomBase) {
        auto* b = new QToolButton(bar);
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::TabFocus);
        if (icon != QStyle::SP_CustomBase) {
            b->setIcon(style()->standardIcon(icon));
            b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
        row->addWidget(b);
        return b;
    };
    const auto separator = [&] {
        auto* line = new QFrame(bar);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        row->addSpacing(4);
        row->addWidget(line);
        row->addSpacing(4);
    };

    if (options.buttons & PreviewButton::Zoom) {
        m_zoomButton = button(QStringLiteral("pbZoom"), QStringLiteral("Nagyítás"), QStringLiteral("A lap nagyítása"));
        m_zoomButton->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new QMenu(m_zoomButton);
        menu->setObjectName(QStringLiteral("zoomMenu"));
        menu->addAction(QStringLiteral("Oldalszélesség"), this, &PreviewWindow::fitPageWidth);
        menu->addAction(QStringLiteral("Egész oldal"), this, &PreviewWindow::fitWholePage);
        menu->addSeparator();
        for (double step : zoomSteps())
            menu->addAction(QStringLiteral("%1%").arg(std::lround(step * 100)), this, [this, step] { setZoom(step); });
        m_zoomButton->setMenu(menu);
        QToolButton* out =
            button(QStringLiteral("zoomOut"), QStringLiteral("−"), QStringLiteral("Kicsinyítés (Ctrl −)"));
        out->setAccessibleName(QStringLiteral("Kicsinyítés"));
        connect(out, &QToolButton::clicked, this, &PreviewWindow::zoomOut);
        m_zoomLabel = new QLabel(bar);
        m_zoomLabel->setObjectName(QStringLiteral("zoomLabel"));
        m_zoomLabel->setMinimumWidth(m_zoomLabel->fontMetrics().horizontalAdvance(QStringLiteral("400 %")) + 6);
        m_zoomLabel->setAlignment(Qt::AlignCenter);
        row->addWidget(m_zoomLabel);
        QToolButton* in = button(QStringLiteral("zoomIn"), QStringLiteral("+"), QStringLiteral("Nagyítás (Ctrl +)"));
        in->setAccessibleName(QStringLiteral("Nagyítás egy lépéssel"));
        connect(in, &QToolButton::clicked, this, &PreviewWindow::zoomIn);
        separator();
    }
    if (options.buttons & PreviewButton::Load)
        connect(button(QStringLiteral("pbLoad"), QStringLiteral("Megnyitás"),
                       QStringLiteral("Mentett jelentés megnyitása (Ctrl+O)"), QStyle::SP_DialogOpenButton),
                &QToolButton::clicked, this, &PreviewWindow::chooseOpenFile);
    if (options.buttons & PreviewButton::Save)
        connect(button(QStringLiteral("pbSave"), QStringLiteral("Mentés"),
                       QStringLiteral("Mentés jelentésként vagy PDF-be (Ctrl+S)"), QStyle::SP_DialogSaveButton),
                &QToolButton::clicked, this, &PreviewWindow::chooseSaveFile);
    if (options.buttons & PreviewButton::Print)
        connect(button(QStringLiteral("pbPrint"), QStringLiteral("Nyomtatás"), QStringLiteral("Nyomtatás (Ctrl+P)")),
                &QToolButton::clicked, this, &PreviewWindow::print);
    if (options.buttons & PreviewButton::Find)
        connect(button(QStringLiteral("pbFind"), QStringLiteral("Keresés"), QStringLiteral("Szöveg keresése (Ctrl+F)")),
                &QToolButton::clicked, this, &PreviewWindow::showFindBar);
    separator();

    QToolButton* firstPage = button(QStringLiteral("firstPage"), QString(), QStringLiteral("Első oldal (Ctrl+Home)"),
                                    QStyle::SP_MediaSkipBackward);
    QToolButton* priorPage = button(QStringLiteral("priorPage"), QString(), QStringLiteral("Előző oldal (PgUp)"),
                                    QStyle::SP_MediaSeekBackward);
    for (QToolButton* b : {firstPage, priorPage})
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    firstPage->setAccessibleName(QStringLiteral("Első oldal"));
    priorPage->setAccessibleName(QStringLiteral("Előző oldal"));
    auto* pageLabel = new QLabel(QStringLiteral("&Oldal:"), bar);
    row->addSpacing(4);
    row->addWidget(pageLabel);
    m_pageNumber = new QSpinBox(bar);
    m_pageNumber->setObjectName(QStringLiteral("pageNumber"));
    m_pageNumber->setKeyboardTracking(false);
    m_pageNumber->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_pageNumber->setAlignment(Qt::AlignRight);
    pageLabel->setBuddy(m_pageNumber);
    row->addWidget(m_pageNumber);
    m_pageCount = new QLabel(bar);
    m_pageCount->setObjectName(QStringLiteral("pageCount"));
    row->addWidget(m_pageCount);
    row->addSpacing(4);
    QToolButton* nextPage = button(QStringLiteral("nextPage"), QString(), QStringLiteral("Következő oldal (PgDn)"),
                                   QStyle::SP_MediaSeekForward);
    QToolButton* lastPage = button(QStringLiteral("lastPage"), QString(), QStringLiteral("Utolsó oldal (Ctrl+End)"),
                                   QStyle::SP_MediaSkipForward);
    for (QToolButton* b : {nextPage, lastPage})
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    nextPage->setAccessibleName(QStringLiteral("Következő oldal"));
    lastPage->setAccessibleName(QStringLiteral("Utolsó oldal"));
    row->addStretch(1);
    if (options.buttons & PreviewButton::Help)
        connect(button(QStringLiteral("pbHelp"), QStringLiteral("Súgó"), QStringLiteral("Súgó (F1)"),
                       QStyle::SP_DialogHelpButton),
                &QToolButton::clicked, this, &PreviewWindow::showHelp);
    if (options.buttons & PreviewButton::Exit)
        connect(button(QStringLiteral("pbExit"), QStringLiteral("Bezárás"),
                       QStringLiteral("Az előnézet bezárása (Esc)"), QStyle::SP_DialogCloseButton),
                &QToolButton::clicked, this, &PreviewWindow::reject);
    outer->addWidget(bar);

    m_view = new PageView(this);
    outer->addWidget(m_view, 1);

    m_findBar = new QWidget(this);
    m_findBar->setObjectName(QStringLiteral("findBar"));
    auto* findRow = new QHBoxLayout(m_findBar);
    findRow->setContentsMargins(6, 4, 6, 4);
    auto* findLabel = new QLabel(QStringLiteral("&Keresett szöveg:"), m_findBar);
    m_findText = new QLineEdit(m_findBar);
    m_findText->setObjectName(QStringLiteral("findText"));
    findLabel->setBuddy(m_findText);
    auto* findNextButton = new QToolButton(m_findBar);
    findNextButton->setObjectName(QStringLiteral("findNext"));
    findNextButton->setText(QStringLiteral("Következő"));
    findNextButton->setToolTip(QStringLiteral("Következő találat (F3)"));
    findRow->addWidget(findLabel);
    findRow->addWidget(m_findText, 1);
    findRow->addWidget(findNextButton);
    outer->addWidget(m_findBar);
    m_findBar->hide();
    connect(m_findText, &QLineEdit::returnPressed, this, [this] { findNext(m_findText->text()); });
    connect(findNextButton, &QToolButton::clicked, this, [this] { findNext(m_findText->text()); });
    connect(m_findText, &QLineEdit::textEdited, this, [this] {
        m_foundPage = m_foundText = -1;
        m_view->setHighlight(-1, -1);
    });

    connect(firstPage, &QToolButton::clicked, this, [this] { goToPage(1); });
    connect(priorPage, &QToolButton::clicked, this, [this] { goToPage(currentPage() - 1); });
    connect(nextPage, &QToolButton::clicked, this, [this] { goToPage(currentPage() + 1); });
    connect(lastPage, &QToolButton::clicked, this, [this] { goToPage(pageCount()); });
    connect(m_pageNumber, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != currentPage())
            goToPage(page);
    });
    connect(m_view, &PageView::currentPageChanged, this, &PreviewWindow::updatePageDisplay);
    connect(m_view, &PageView::zoomRequested, this, [this, options](int steps) {
        if (!(options.buttons & PreviewButton::Zoom))
            return;
        steps > 0 ? zoomIn() : zoomOut();
    });

    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Print, [this] { print(); });
    shortcut(QKeySequence(Qt::Key_PageDown), [this] { goToPage(currentPage() + 1); });
    shortcut(QKeySequence(Qt::Key_PageUp), [this] { goToPage(currentPage() - 1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { goToPage(1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_End), [this] { goToPage(pageCount()); });
    if (options.buttons & PreviewButton::Zoom) {
        shortcut(QKeySequence::ZoomIn, [this] { zoomIn(); });
        shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { zoomIn(); });
        shortcut(QKeySequence::ZoomOut, [this] { zoomOut(); });
    }
    if (options.buttons & PreviewButton::Load)
        shortcut(QKeySequence::Open, [this] { chooseOpenFile(); });
    if (options.buttons & PreviewButton::Save)
        shortcut(QKeySequence::Save, [this] { chooseSaveFile(); });
    if (options.buttons & PreviewButton::Find) {
        shortcut(QKeySequence::Find, [this] { showFindBar(); });
        shortcut(QKeySequence::FindNext, [this] {
            if (m_findText->text().isEmpty())
                showFindBar();
            else
                findNext(m_findText->text());
        });
    }
    if (options.buttons & PreviewButton::Help)
        shortcut(QKeySequence::HelpContents, [this] { showHelp(); });
    m_helpLines.clear();
    if (options.buttons & PreviewButton::Zoom)
        m_helpLines << QStringLiteral(
            "Nagyítás: oldalszélesség, egész oldal vagy adott méret; Ctrl + és Ctrl − "
            "(vagy Ctrl és egérgörgő) lépésenként");
    if (options.buttons & PreviewButton::Load)
        m_helpLines << QStringLiteral("Megnyitás (Ctrl+O): korábban mentett jelentés megnyitása");
    if (options.buttons & PreviewButton::Save)
        m_helpLines << QStringLiteral("Mentés (Ctrl+S): mentés jelentésként (.frp) vagy PDF-dokumentumként (.pdf)");
    m_helpLines << QStringLiteral("Nyomtatás (Ctrl+P): nyomtatás a telepített nyomtatón");
    if (options.buttons & PreviewButton::Find)
        m_helpLines << QStringLiteral("Keresés (Ctrl+F), következő találat (F3)");
    m_helpLines << QStringLiteral("PgUp / PgDn: előző / következő oldal; Ctrl+Home / Ctrl+End: első / utolsó oldal");
    m_helpLines << QStringLiteral("Esc: az előnézet bezárása");
}

const std::vector<double>& PreviewWindow::zoomSteps()
{
    static const std::vector<double> steps = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
    return steps;
}

void PreviewWindow::zoomIn()
{
    for (double step : zoomSteps())
        if (step > m_view->zoom() + 0.001)
            return setZoom(step);
}

void PreviewWindow::zoomOut()
{
    const auto& steps = zoomSteps();
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        if (*it < m_view->zoom() - 0.001)
            return setZoom(*it);
}

void PreviewWindow::setZoom(double zoom)
{
    m_zoomChosen = true;
    m_view->setZoom(zoom);
    updateZoomDisplay();
}

void PreviewWindow::fitPageWidth() { setZoom(m_view->zoomForPageWidth()); }

void PreviewWindow::fitWholePage() { setZoom(m_view->zoomForWholePage()); }

void PreviewWindow::updateZoomDisplay()
{
    if (m_zoomLabel)
        m_zoomLabel->setText(QStringLiteral("%1 %").arg(std::lround(m_view->zoom() * 100)));
}

int PreviewWindow::currentPage() const { return m_view->currentPage() + 1; }

void PreviewWindow::goToPage(int page)
{
    if (pageCount() == 0)
        return;
    m_view->goToPage(std::clamp(page, 1, pageCount()) - 1);
}

void PreviewWindow::updatePageDisplay()
{
    const QSignalBlocker block(m_pageNumber);
    m_pageNumber->setValue(currentPage());
}

void PreviewWindow::reportChanged()
{
    setWindowTitle(QStringLiteral("Előnézet - %1").arg(m_report.title));
    m_foundPage = m_foundText = -1;
    {
        const QSignalBlocker block(m_pageNumber);
        m_pageNumber->setRange(pageCount() > 0 ? 1 : 0, std::max(1, pageCount()));
        m_pageNumber->setMinimumWidth(
            m_pageNumber->fontMetrics().horizontalAdvance(QString::number(pageCount()) + u'0') + 12);
    }
    m_pageCount->setText(QStringLiteral("/ %1").arg(pageCount()));
    m_pageNumber->setAccessibleName(QStringLiteral("Oldal, összesen %1").arg(pageCount()));
    updatePageDisplay();
    updateZoomDisplay();
}

void PreviewWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The engine's default zoom: the page's width fills the window.
    if (!m_zoomChosen) {
        m_view->setZoom(m_view->zoomForPageWidth());
        updateZoomDisplay();
    }
    m_view->setFocus();
}

void PreviewWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape in the find bar puts the bar away; elsewhere it closes the preview.
    if (event->key() == Qt::Key_Escape && m_findBar->isVisible() && m_findBar->isAncestorOf(focusWidget())) {
        m_findBar->hide();
        m_view->setFocus();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PreviewWindow::showFindBar()
{
    m_findBar->show();
    m_findText->setFocus();
    m_findText->selectAll();
}

bool PreviewWindow::findNext(const QString& text)
{
    if (text.isEmpty() || pageCount() == 0)
        return false;
    // From the last hit on (or from the current page), round the whole report once.
    int page = m_foundPage >= 0 ? m_foundPage : currentPage() - 1;
    int index = m_foundPage >= 0 ? m_foundText + 1 : 0;
    const int pages = pageCount();
    for (int visited = 0; visited <= pages; ++visited) {
        const auto& texts = m_report.pages[static_cast<size_t>(page)].texts;
        for (int i = index; i < static_cast<int>(texts.size()); ++i) {
            if (texts[static_cast<size_t>(i)].text.contains(text, Qt::CaseInsensitive)) {
                m_foundPage = page;
                m_foundText = i;
                m_view->setHighlight(page, i);
                updatePageDisplay();
                return true;
            }
        }
        page = (page + 1) % pages;
        index = 0;
    }
    m_foundPage = m_foundText = -1;
    m_view->setHighlight(-1, -1);
    host::message(this, QStringLiteral("A keresett szöveg nem található: „%1”").arg(text));
    return false;
}

QString PreviewWindow::highlightedText() const
{
    if (m_foundPage < 0)
        return {};
    return m_report.pages[static_cast<size_t>(m_foundPage)].texts[static_cast<size_t>(m_foundText)].text;
}

void PreviewWindow::chooseSaveFile()
{
    QString selected = kPdfFilter;
    QString name = host::saveFileName(this, QStringLiteral("Jelentés mentése"), m_report.title + QStringLiteral(".pdf"),
                                      kPdfFilter + QStringLiteral(";;") + kPreparedFilter, &selected);
    if (name.isEmpty())
        return;
    const QString suffix = QFileInfo(name).suffix().toLower();
    bool pdf = selected != kPreparedFilter;
    if (suffix == u"pdf")
        pdf = true;
    else if (suffix == u"frp")
        pdf = false;
    else
        name += pdf ? QStringLiteral(".pdf") : QStringLiteral(".frp");
    pdf ? savePdf(name) : savePreparedFile(name);
}

void PreviewWindow::chooseOpenFile()
{
    const QString name = host::openFileName(this, QStringLiteral("Mentett jelentés megnyitása"),
                                            kPreparedFilter + QStringLiteral(";;Minden fájl (*)"));
    if (!name.isEmpty())
        openPreparedFile(name);
}

// A file that cannot be written or read is a message; the pages stay as they were.
bool PreviewWindow::fileAction(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const Error& e) {
        host::message(this, e.message());
        return false;
    }
}

bool PreviewWindow::savePreparedFile(const QString& fileName)
{
    return fileAction([&] { savePrepared(m_report, fileName); });
}

bool PreviewWindow::savePdf(const QString& fileName)
{
    return fileAction([&] { writePdf(m_report, fileName); });
}

bool PreviewWindow::openPreparedFile(const QString& fileName)
{
    if (!fileAction([&] { m_report = loadPrepared(fileName); }))
        return false;
    m_view->setReport(&m_report);
    reportChanged();
    return true;
}

void PreviewWindow::print()
{
    if (host::printers().isEmpty()) {
        host::message(this, QStringLiteral("Nincs telepített nyomtató, ezért a jelentés nem nyomtatható. "
                                           "A Mentés gombbal PDF-fájlba mentheti, és azt másik gépen kinyomtathatja."));
        return;
    }
    host::print(this, m_report);
}

void PreviewWindow::showHelp()
{
    host::message(this, QStringLiteral("Az előnézet gombjai és billentyűi:\n\n") + m_helpLines.join(u'\n'));
}

}  // namespace report
