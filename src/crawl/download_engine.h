#pragma once

#include <QString>

// What the grabbing driver asks of the download engine.
class DownloadEngine {
public:
    virtual ~DownloadEngine() = default;
    // Starts fetching the address under the request key, or refuses it; a refused request is
    // counted out of the in-flight counts at once.
    virtual void BeginDownload(const QString &url, const QString &key) = 0;
    // Cancels every request in flight and sets both in-flight counts to 0.
    virtual bool CancelAllDownload() = 0;
};
