#pragma once

#include <QObject>
#include <QSocketNotifier>

// SIGINT, SIGTERM and SIGHUP as a Qt signal: the handler only writes a byte into a pipe, and the
// event loop reads it, so nothing but that write runs inside the handler.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // A signal came since the handlers were installed, whether or not the loop has seen it yet.
    static bool arrived();

signals:
    void stopAsked();

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
