#include "support/fakes.h"

void ScriptedMessageBoxes::showMessage(const QString &text, Icon icon)
{
    shown.push_back({text, icon, false});
}

bool ScriptedMessageBoxes::askYesNo(const QString &text, Icon icon)
{
    shown.push_back({text, icon, true});
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeTray::add(const QIcon &, QMenu *trayMenu)
{
    if (throwOnAdd)
        throw std::runtime_error("the notification area refused the icon");
    ++addCount;
    visible = true;
    menu = trayMenu;
}

void FakeTray::remove()
{
    visible = false;
}
