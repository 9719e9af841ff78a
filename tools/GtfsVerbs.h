#pragma once
// The hy3 tool's verbs for open data: `hy3 gtfs list FEED [--json]` and
// `hy3 gtfs import FEED -o DIR [--route ID_OR_NAME]... [--all-patterns] [--json]`.
#include <QStringList>

// Runs `hy3 gtfs ...` (args after "gtfs"); the exit status.
int runGtfs(const QStringList& args);
extern const char* const kGtfsHelp;
