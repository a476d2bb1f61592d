#pragma once

#include "core/dataset.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class Session;

// What tells the two ear-tag checks apart on the screen: names and texts.
struct EarTagCheckKind;

// A check of the live arrivals and departures that writes a plain-text report, line by line, into a
// read-only memo: "Ellenörzés" writes it afresh from the tables as they are, "Mentés..." saves what
// the memo shows as a UTF-8 text file (for the authority, or to open in a spreadsheet). The checks
// only read. A database error goes to the standard error box, the lines written before it stay.
class EarTagCheckDialog : public QDialog {
    Q_OBJECT
public:
    // "Ellenörzés".
    void runCheck();
    // "Mentés...": asks for a file and writes the memo's lines into it.
    void saveReport();

protected:
    EarTagCheckDialog(Session& session, const EarTagCheckKind& kind, QWidget* parent);
    Session& session() const { return m_session; }
    // Appends the report's lines; raises on a database error, the lines so far staying.
    virtual void writeReport(QStringList& lines) = 0;

private:
    Session& m_session;
    const EarTagCheckKind& m_kind;
    QLabel* m_heading;
    QPlainTextEdit* m_report;
    QPushButton* m_checkButton;
    QPushButton* m_saveButton;
    QPushButton* m_cancelButton;
};

// "Duple fülszám keresés": every ear tag that stands in more than one live arrival, then in more
// than one live departure. Rows are compared with their neighbour in ear-tag order, so a tag in
// three rows gives two pairs, its middle row listed in both.
class DuplicateEarTagsDialog final : public EarTagCheckDialog {
    Q_OBJECT
public:
    explicit DuplicateEarTagsDialog(Session& session, QWidget* parent = nullptr);

private:
    void writeReport(QStringList& lines) override;

    // The live arrivals and departures in ear-tag order, each left open on its last row.
    Dataset m_arrivals;
    Dataset m_departures;
};

// "Hiányzik a beszállításból": every live departure whose ear tag has no live arrival (also when the
// arrival has been archived while the departure stayed live).
class DeparturesWithoutArrivalDialog final : public EarTagCheckDialog {
    Q_OBJECT
public:
    explicit DeparturesWithoutArrivalDialog(Session& session, QWidget* parent = nullptr);

private:
    void writeReport(QStringList& lines) override;

    // The live departures without a live arrival, left open on the last.
    Dataset m_missing;
};
