#pragma once

#include "core/settings.h"

// The search history's changes, newest entry first. Entries compare exactly.

// Puts text at the head unless an entry equals it; true when the list changed.
bool addToHistory(ProjectList &projects, const QString &text);

// The list with picked first and the other entries after it in their old order.
ProjectList pickedFirst(const ProjectList &projects, const QString &picked);

// Removes the first entry equal to shown; with one entry, or when no entry but the last
// equals it, the list loses that entry, the only or the last one.
void deleteFromHistory(ProjectList &projects, const QString &shown);
