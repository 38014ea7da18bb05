#pragma once

#include "demo/demoservice.h"

#include <QAbstractHttpServer>
#include <QFile>

/// Serves a `DemoService` over HTTP; optionally writes one line per request ("GET /api/today") to a
/// log file, which the end-to-end tests read.
class DemoHttpServer : public QAbstractHttpServer
{
public:
    explicit DemoHttpServer(DemoService &service, const QString &logPath = {});

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    DemoService &m_service;
    QFile m_log;
};
