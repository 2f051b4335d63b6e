#include "platform/process_control.h"

#include "platform/instance_lock.h"

#include <QProcess>

#include <cstdio>
#include <unistd.h>

void ImmediateProcessEnd::endProcess(int exitCode)
{
    lock_.unlock();
    std::fflush(nullptr);
    ::_exit(exitCode);
}

bool ImmediateProcessEnd::startDetached(const QString &program)
{
    return QProcess::startDetached(program, {});
}
