#pragma once

#include <QString>

// Opens a web address with the desktop's default handler; failures are not reported.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QString &address) = 0;
};

class DesktopUrlOpener final : public UrlOpener {
public:
    void open(const QString &address) override;
};
