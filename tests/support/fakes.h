#pragma once

// Stand-ins for the platform services, for tests that must not touch the desktop.

#include "platform/folder_picker.h"
#include "platform/instance_lock.h"
#include "platform/message_boxes.h"
#include "platform/network_state.h"
#include "platform/process_control.h"
#include "platform/trash.h"
#include "platform/tray_icon.h"
#include "platform/url_opener.h"

#include <QFile>
#include <QStringList>

#include <deque>
#include <stdexcept>

// Records every message and question; answers No to every question.
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString text;
    };

    void showMessage(const QString &text, Icon) override { shown.push_back({text}); }
    bool askYesNo(const QString &text, Icon) override
    {
        shown.push_back({text});
        return false;
    }

    std::vector<Shown> shown;
};

class FakeTray final : public TrayIcon {
public:
    bool isAvailable() const override { return available; }
    void add(const QIcon &, QMenu *trayMenu) override
    {
        if (throwOnAdd)
            throw std::runtime_error("the notification area refused the icon");
        visible = true;
        menu = trayMenu;
    }
    void remove() override { visible = false; }

    bool available = true;
    bool throwOnAdd = false;
    bool visible = false;
    QMenu *menu = nullptr;
};

class RecordingUrlOpener final : public UrlOpener {
public:
    void open(const QString &address) override { opened.append(address); }
    QStringList opened;
};

// Instead of ending the test process, records the request.
class RecordingProcessControl final : public ProcessControl {
public:
    void endProcess(int exitCode) override
    {
        ended = true;
        code = exitCode;
    }
    bool startDetached(const QString &program) override
    {
        started.append(program);
        return true;
    }
    QStringList started;
    bool ended = false;
    int code = -1;
};

class FakeInstanceLock final : public InstanceLock {
public:
    bool tryLock() override { return !heldElsewhere; }
    void unlock() override {}
    bool heldElsewhere = false;
};

class FixedNetworkState final : public NetworkState {
public:
    bool NetworkAlive() const override { return alive; }
    bool alive = true;
};

// Answers from a script (a cancel once the script runs out).
class ScriptedFolderPicker final : public FolderPicker {
public:
    QString BrowseForFolder(QWidget *, const QString &) override
    {
        if (answers.empty())
            return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<QString> answers;
};

// Stands in for the desktop trash: removes the file.
class FakeTrash final : public Trash {
public:
    bool RecycleFile(const QString &path) override { return QFile::remove(path); }
};
