#pragma once

#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

// A check that a text a person may see is not an English sentence: the English words it holds.
// Words Hungarian writes too ("is", "be", "a", "test") and the names of the technical formats the
// messages quote (XML, NDATA, PUBLIC, SYSTEM) are not on the list. A text with two or more of these
// words reads as English.
namespace hungarian {

inline const QSet<QString>& englishWords()
{
    static const QSet<QString> words = [] {
        QSet<QString> w;
        for (const char* s :
             {"the",        "not",       "of",        "to",        "in",         "at",        "by",
              "for",        "with",      "was",       "are",       "been",       "this",      "that",
              "cannot",     "could",     "can",       "failed",    "invalid",    "valid",     "value",
              "found",      "error",     "expected",  "unexpected", "declared",  "entity",    "document",
              "character",  "database",  "table",     "column",    "row",        "rows",      "dataset",
              "field",      "index",     "bounds",    "open",      "closed",     "unknown",   "operation",
              "conversion", "violation", "constraint", "string",   "truncation", "update",    "conflicts",
              "conflict",   "deadlock",  "lock",      "connection", "lost",      "attempt",   "unable",
              "request",    "key",       "unique",    "foreign",   "number",     "integer",   "date",
              "statement",  "returns",   "no",        "but",       "got",        "end",       "or",
              "and",        "an",        "has",       "have",      "its",        "which",     "while",
              "another",    "already",   "exists",    "does",      "missing",    "mode",      "edit",
              "insert",     "modify",    "perform",   "assigned",  "schema",     "empty",     "deleted",
              "copied",     "primary",   "file",      "files",     "from",       "current",   "changed",
              "while",      "there",     "permission", "denied",   "such",       "directory", "failure",
              "reading",    "writing",   "write",     "read",      "unsupported", "illegal",  "reference",
              "premature",  "attribute", "redefined", "mismatch",  "tag",        "start",     "expands",
              "limit",      "detected",  "sequence",  "allowed",   "content",    "only",      "yes",
              "must",       "appear",    "after",     "encountered", "incorrectly", "encoded", "name",
              "declaration", "processing", "instruction", "identifier", "version", "literal", "namespace",
              "prefix",     "unparsed",  "external",  "self",      "referencing", "more",     "than",
              "characters", "arithmetic", "exception", "overflow", "transaction", "dynamic",  "sql",
              "token",      "unknown",   "command",   "object",    "use",        "access",    "denied",
              "shutdown",   "internal",  "corrupt",   "memory",    "allocate",   "system",    "call",
              "problematic", "concurrent", "wait",    "timeout",   "network",    "host",      "server"})
            w.insert(QString::fromLatin1(s));
        return w;
    }();
    return words;
}

// The English words of text, lower case, in order of appearance, each once.
inline QStringList englishWordsIn(const QString& text)
{
    static const QRegularExpression word(QStringLiteral("[A-Za-z]+"));
    QStringList found;
    // Words inside quotes name a value the person gave; only the message's own words count.
    static const QRegularExpression quoted(QStringLiteral("„[^”]*”|\"[^\"]*\"|'[^']*'"));
    QString own = text;
    own.replace(quoted, QStringLiteral(" "));
    for (auto it = word.globalMatch(own); it.hasNext();) {
        const QString w = it.next().captured().toLower();
        if (englishWords().contains(w) && !found.contains(w))
            found << w;
    }
    return found;
}

inline bool looksEnglish(const QString& text) { return englishWordsIn(text).size() >= 2; }

}  // namespace hungarian
