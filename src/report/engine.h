#pragma once

#include "report/catalog.h"
#include "report/error.h"
#include "report/prepared.h"
#include "report/template.h"

#include <QFlags>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace report {

// The buttons a preview offers; every preview prints on Ctrl+P whether or not it shows Print.
enum class PreviewButton : unsigned { Zoom = 1, Load = 2, Save = 4, Print = 8, Find = 16, Help = 32, Exit = 64 };
Q_DECLARE_FLAGS(PreviewButtons, PreviewButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(PreviewButtons)

inline constexpr PreviewButtons kStandardButtons = PreviewButtons(PreviewButton::Zoom) | PreviewButton::Load |
                                                   PreviewButton::Save | PreviewButton::Find | PreviewButton::Help |
                                                   PreviewButton::Exit;

struct PreviewOptions {
    PreviewButtons buttons = kStandardButtons;
    bool modal = true;
};

// Asked first for every name a template refers to: fill value to answer, or leave it empty and
// the engine looks further (the template's own fields and expressions, its built-in names, the
// process-wide variables).
using ValueCallback = std::function<void(const QString& name, std::optional<Value>& value)>;

// A report object: a template loaded from its file, prepared page by page against the catalog's
// datasets, shown in a preview.
class Report {
public:
    explicit Report(const QString& name);
    Report(const QString& name, Catalog& catalog);

    const QString& name() const { return m_name; }

    // Replaces the template the object held. A file that cannot be used raises TemplateError and
    // leaves the object as it was.
    void loadFromFile(const QString& fileName);
    void setTemplate(const Template& layout);
    bool hasTemplate() const { return m_hasTemplate; }
    const Template& layout() const { return m_template; }

    ValueCallback onGetValue;
    PreviewButtons previewButtons = kStandardButtons;
    bool modalPreview = true;

    // Lays out every page, running the datasets' events; the page count is known when it returns.
    // Raises Error, or whatever the program's events raise (a database error ends it).
    PreparedReport prepare();
    // Prepares every page first, then shows them in the preview; with a modal preview it returns
    // when the person closes it.
    void showReport(QWidget* parent = nullptr);

    // Names of the last preparation that were found nowhere (they printed as nothing).
    const QStringList& unresolvedNames() const { return m_unresolved; }

private:
    friend class Preparation;
    QString m_name;
    Catalog& m_catalog;
    Template m_template;
    bool m_hasTemplate = false;
    QStringList m_unresolved;
};

// Several reports prepared one after the other into one set of pages.
class CompositeReport {
public:
    explicit CompositeReport(const QString& name) : m_name(name) {}
    const QString& name() const { return m_name; }

    QList<Report*> reports;
    PreviewButtons previewButtons = kStandardButtons | PreviewButton::Print;
    bool modalPreview = true;

    PreparedReport prepare();
    void showReport(QWidget* parent = nullptr);

private:
    QString m_name;
};

}  // namespace report
