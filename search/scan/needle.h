#ifndef NEEDLE_H
#define NEEDLE_H

#include "search/bytesearch/fastbytes.h"
#include "search/scan/scanfile.h"

#include <QByteArray>
#include <QString>

// What the text allows the scan to skip: made once for the files of a search.
struct Needle
{
    explicit Needle(const ScanOptions &options);

    // Whether a decoded, trimmed line holds the text.
    bool matches(const QString &trimmedLine) const
    {
        return trimmedLine.indexOf(text, 0, caseSensitivity) != -1;
    }

    QString text;
    Qt::CaseSensitivity caseSensitivity;
    bool neverMatches = false; // holds a line break, which no line holds
    bool byteSearch = false; // every line that can hold it holds the anchor bytes
    QByteArray anchor;
    QByteArray windows1252Anchor; // the text as a Windows-1252 line holds it, when it differs
    bool caseless = false;
    bool kelvin = false;
    bool longS = false;
    CandidateFinder candidates;
};

#endif // NEEDLE_H
