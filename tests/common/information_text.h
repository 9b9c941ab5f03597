#pragma once
#include <QString>
#include <QStringList>

// The benchmark information text as the user reads it, line by line: five sentences, each
// followed by an empty line. Spelled out here, not taken from the program, so a changed word shows.
inline QStringList Information_Text_Lines() {
    return {
        QStringLiteral("This program benchmarks the operation of various components in your PC and "
                       "then displays the results in a special logarithmic graph."),
        QString(),
        QStringLiteral("This means that significant differences in values may only appear as "
                       "slight differences in bar lengths on the graph."),
        QString(),
        QStringLiteral("To see the values for each test, you need to check the \"Show Values\" "
                       "checkbox (in the top right hand corner of the graph)."),
        QString(),
        QStringLiteral("You can save, load, and compare the results against other saved results."),
        QString(),
        QStringLiteral("To get the best possible results, you should close down all other programs "
                       "before proceeding.  See the Read Me file for details about the tests and "
                       "how to improve the performance of your PC."),
        QString(),
    };
}
