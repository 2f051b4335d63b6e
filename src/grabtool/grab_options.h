#pragma once

// The command line of zovarode-grab: what to grab, where to, with which filters, and how to
// report. Parsing is separate from running, so that every option can be tested in-process.

#include "core/settings.h"

#include <QString>
#include <QStringList>

struct GrabOptions {
    Settings settings;  // the folder, the number range, the file name and the filters
    QString searchText; // the website address or the keyword
    QString searchBase; // the image search address; empty: the one of the language file
    bool resume = false;
    bool json = false;
    bool quiet = false;
};

struct ParsedCommandLine {
    enum class Kind { Run, Help, Version, Error };
    Kind kind = Kind::Error;
    GrabOptions options; // when Run
    QString text;        // the help text, the version, or the error message naming the option
};

// arguments as main receives them, the program name first.
ParsedCommandLine parseCommandLine(const QStringList &arguments);
