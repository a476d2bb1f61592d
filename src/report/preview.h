#pragma once

#include "report/engine.h"

#include <QAbstractScrollArea>
#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QSpinBox;
class QToolButton;
class QWidget;

namespace report {

// The pages one under the other on a grey desk; only the pages in view are painted.
class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);

    void setReport(const PreparedReport* report);
    // 1.0 is the printed size on this screen.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    double zoomForPageWidth() const;
    double zoomForWholePage() const;

    // From 0: the page in the upper part of the view, or the one last gone to or found.
    int currentPage() const { return m_current; }
    void goToPage(int page);
    // Marks one text of one page (find); page -1 clears the mark.
    void setHighlight(int page, int textIndex);
    // Every page painted so far (the benchmark waits for the first one).
    int paintedPages() const { return m_paintedPages; }

signals:
    void currentPageChanged(int page);
    void pagePainted(int page);
    void zoomRequested(int steps);  // Ctrl + wheel

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    double pixelsPerMm() const;
    void relayout();
    QRectF pageRect(int page) const;  // in content coordinates
    void notifyCurrentPage();
    int pageAtProbe() const;
    void makeCurrent(int page);

    const PreparedReport* m_report = nullptr;
    double m_zoom = 1.0;
    std::vector<double> m_tops;  // content y of each page's top
    double m_contentWidth = 0;
    double m_contentHeight = 0;
    int m_current = -1;
    int m_highlightPage = -1;
    int m_highlightText = -1;
    int m_paintedPages = 0;
};

// The modal preview: zoom, open a saved report, save (our own file or PDF), find, help, close and,
// where configured, print; page navigation with the page number; Ctrl+P prints in every preview.
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    PreviewWindow(const PreparedReport& report, const PreviewOptions& options, QWidget* parent = nullptr);

    const PreparedReport& report() const { return m_report; }
    PageView* pageView() const { return m_view; }
    int currentPage() const;  // from 1
    int pageCount() const { return m_report.pageCount(); }

    static const std::vector<double>& zoomSteps();
    void zoomIn();
    void zoomOut();
    void setZoom(double zoom);
    void fitPageWidth();
    void fitWholePage();
    void goToPage(int page);  // from 1

    // Searches from the last hit on; the hit is marked and brought into view. False (and a
    // message) when the text is nowhere.
    bool findNext(const QString& text);
    int highlightedPage() const { return m_foundPage; }  // from 0, -1 when none
    QString highlightedText() const;

    // What the buttons do once a file has been chosen; false (and a message) on failure.
    bool savePreparedFile(const QString& fileName);
    bool savePdf(const QString& fileName);
    bool openPreparedFile(const QString& fileName);

    void print();
    void showHelp();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout(const PreviewOptions& options);
    void chooseSaveFile();
    void chooseOpenFile();
    void showFindBar();
    void updatePageDisplay();
    void updateZoomDisplay();
    void reportChanged();
    bool fileAction(const std::function<void()>& action);

    PreparedReport m_report;
    PageView* m_view = nullptr;
    QToolButton* m_zoomButton = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QSpinBox* m_pageNumber = nullptr;
    QLabel* m_pageCount = nullptr;
    QWidget* m_findBar = nullptr;
    QLineEdit* m_findText = nullptr;
    bool m_zoomChosen = false;
    int m_foundPage = -1;
    int m_foundText = -1;
    QStringList m_helpLines;
};

}  // namespace report
