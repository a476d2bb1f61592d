#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// What tells the two ear-tag checks apart: names, texts and the report each writes.
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
    EarTagCheckDialog(const EarTagCheckKind& kind, QWidget* parent);

private:
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
    explicit DuplicateEarTagsDialog(QWidget* parent = nullptr);
};

// "Hiányzik a beszállításból": every live departure whose ear tag has no live arrival (also when the
// arrival has been archived while the departure stayed live).
class DeparturesWithoutArrivalDialog final : public EarTagCheckDialog {
    Q_OBJECT
public:
    explicit DeparturesWithoutArrivalDialog(QWidget* parent = nullptr);
};
