#pragma once

// Prepared report pages compared with a stored text file: page headings, then each line's texts left
// to right joined by " | " (report::PreparedReport::plainText). The caller finds the stored file
// (QFINDTESTDATA("expected/X.txt"), beside its own source).

#include "report/prepared.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <algorithm>

// True when the pages read as the file at expectedPath. Otherwise the actual text is written to
// gerundo-printouts/ in the temporary directory under the same file name, and the differing lines
// are shown.
inline bool pagesReadAsStored(const report::PreparedReport& pages, const QString& expectedPath)
{
    const QString actual = pages.plainText();
    QString expected;
    QFile f(expectedPath);
    if (!expectedPath.isEmpty() && f.open(QIODevice::ReadOnly))
        expected = QString::fromUtf8(f.readAll());
    if (actual == expected)
        return true;
    const QString actualDir = QDir::temp().filePath(QStringLiteral("gerundo-printouts"));
    QDir().mkpath(actualDir);
    const QString name = expectedPath.isEmpty() ? QStringLiteral("missing.txt") : QFileInfo(expectedPath).fileName();
    QFile out(QDir(actualDir).filePath(name));
    if (out.open(QIODevice::WriteOnly))
        out.write(actual.toUtf8());
    const QStringList a = actual.split(u'\n');
    const QStringList e = expected.split(u'\n');
    for (qsizetype i = 0; i < std::max(a.size(), e.size()); ++i) {
        const QString al = i < a.size() ? a[i] : QStringLiteral("<none>");
        const QString el = i < e.size() ? e[i] : QStringLiteral("<none>");
        if (al != el)
            qWarning("%s line %lld\n  expected: %s\n  actual:   %s", qPrintable(name), static_cast<long long>(i + 1),
                     qPrintable(el), qPrintable(al));
    }
    qWarning("actual pages written to %s", qPrintable(out.fileName()));
    return false;
}
