#pragma once
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace smx::test {

// A strict RFC 4180 reader: records end in CR LF, fields are split by commas, a quoted field
// may hold commas, CR, LF and doubled quotes. Fails the test on anything else.
inline std::vector<QStringList> read_csv(const QString& text) {
    std::vector<QStringList> records;
    QStringList record;
    QString field;
    qsizetype i = 0;
    bool field_started = false;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('"') && !field_started) {
            ++i;
            while (true) {
                if (i >= text.size()) {
                    ADD_FAILURE() << "unterminated quoted field";
                    return records;
                }
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
            field_started = true;
            if (i < text.size() && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\r')) {
                ADD_FAILURE() << "text after a closing quote at " << i;
                return records;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
            field_started = false;
            ++i;
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 >= text.size() || text[i + 1] != QLatin1Char('\n')) {
                ADD_FAILURE() << "CR without LF at " << i;
                return records;
            }
            record << field;
            records.push_back(record);
            record.clear();
            field.clear();
            field_started = false;
            i += 2;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\n')) {
            ADD_FAILURE() << "bare quote or LF in an unquoted field at " << i;
            return records;
        } else {
            field += c;
            field_started = true;
            ++i;
        }
    }
    EXPECT_TRUE(record.isEmpty() && field.isEmpty()) << "the last record has no CR LF";
    return records;
}

} // namespace smx::test
