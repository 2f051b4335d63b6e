#include "mainwin/search_history.h"

bool addToHistory(ProjectList &projects, const QString &text)
{
    if (projects.contains(text))
        return false;
    projects.prepend(text);
    return true;
}

ProjectList pickedFirst(const ProjectList &projects, const QString &picked)
{
    ProjectList reordered{picked};
    for (const QString &entry : projects) {
        if (entry != picked)
            reordered.append(entry);
    }
    return reordered;
}

void deleteFromHistory(ProjectList &projects, const QString &shown)
{
    if (projects.size() <= 1) {
        projects.clear();
        return;
    }
    // The last entry goes whether or not it is the one shown.
    const qsizetype found = projects.indexOf(shown);
    if (found >= 0 && found < projects.size() - 1)
        projects.removeAt(found);
    else
        projects.removeLast();
}
