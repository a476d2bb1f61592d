#pragma once

#include <QDialog>

#include <optional>

class DBGrid;
class DBNavigator;
class QLabel;
class QPushButton;

// "Fülszám lista": the arrived ear tags that have not left, in text order, positioned on the first
// that begins with the typed beginning the outgoing entry screen handed over
// (handOver().earTagBeginning). "Kiválaszt" picks the current ear tag, "Mégsem" picks nothing.
class EarTagPickListDialog : public QDialog {
    Q_OBJECT
public:
    explicit EarTagPickListDialog(QWidget* parent = nullptr);

    // The ear tag "Kiválaszt" took; nothing after "Mégsem" or on an empty list.
    std::optional<QString> pickedEarTag() const { return m_picked; }

    // "Kiválaszt": takes the current ear tag and closes the list.
    void pickCurrentEarTag();

private:
    std::optional<QString> m_picked;
    QLabel* m_title;
    DBGrid* m_list;
    DBNavigator* m_navigator;
    QPushButton* m_pickButton;
    QPushButton* m_cancelButton;
};
