#pragma once

#include "core/dataset.h"

#include <QDialog>

#include <optional>

class DBGrid;
class DBNavigator;
class QLabel;
class QPushButton;
class Session;

// "Fülszám lista": the arrived ear tags that have not left, in text order, positioned on the first
// that begins with the ear-tag beginning the outgoing entry screen hands over (what was typed in
// its ear-tag field). "Kiválaszt" picks the current ear tag, "Mégsem" picks nothing.
class EarTagPickListDialog : public QDialog {
    Q_OBJECT
public:
    EarTagPickListDialog(Session& session, const QString& earTagBeginning, QWidget* parent = nullptr);

    // The beginning the list was positioned on, as it was handed over.
    const QString& earTagBeginning() const { return m_earTagBeginning; }
    // The ear tag "Kiválaszt" took; nothing after "Mégsem" or on an empty list.
    std::optional<QString> pickedEarTag() const { return m_picked; }

    // "Kiválaszt": takes the current ear tag and closes the list.
    void pickCurrentEarTag();

private:
    Session& m_session;
    const QString m_earTagBeginning;
    std::optional<QString> m_picked;
    Dataset m_rows;
    DataSource m_rowsSource;
    QLabel* m_heading;
    DBGrid* m_list;
    DBNavigator* m_navigator;
    QPushButton* m_pickButton;
    QPushButton* m_cancelButton;
};
