#include "ControlServer.h"

#include "ServerWorker.h"

#include <QRandomGenerator>

ControlServer::ControlServer(QObject* parent) : QObject(parent) {
    qRegisterMetaType<remote::Request>("remote::Request");
    thread_.setObjectName(QStringLiteral("control server"));
}

ControlServer::~ControlServer() {
    stop();
}

bool ControlServer::start(const Config& config) {
    stop();
    worker_ = new ServerWorker(config);
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &ServerWorker::connected, this, &ControlServer::connected);
    connect(worker_, &ServerWorker::request, this, &ControlServer::request);
    connect(worker_, &ServerWorker::disconnected, this, &ControlServer::disconnected);
    connect(worker_, &ServerWorker::frameClientsChanged, this, &ControlServer::frameClientsChanged);
    thread_.start();
    std::pair<quint16, QString> r;
    QMetaObject::invokeMethod(
        worker_, [&] { r = worker_->listen(); }, Qt::BlockingQueuedConnection);
    port_ = r.first;
    error_ = r.second;
    if (port_ == 0) {
        stop();
        error_ = r.second;
        return false;
    }
    return true;
}

void ControlServer::stop() {
    if (!worker_)
        return;
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { w->close(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    worker_ = nullptr;
    port_ = 0;
}

int ControlServer::clientCount() const {
    if (!worker_)
        return 0;
    int n = 0;
    QMetaObject::invokeMethod(
        worker_, [&] { n = worker_->clientCount(); }, Qt::BlockingQueuedConnection);
    return n;
}

void ControlServer::send(quint64 client, const QByteArray& message) {
    if (worker_)
        QMetaObject::invokeMethod(worker_,
                                  [w = worker_, client, message] { w->send(client, message); });
}

void ControlServer::broadcast(const QByteArray& message) {
    if (worker_)
        QMetaObject::invokeMethod(worker_, [w = worker_, message] { w->broadcast(message); });
}

void ControlServer::requestDone(quint64 client) {
    if (worker_)
        QMetaObject::invokeMethod(worker_, [w = worker_, client] { w->requestDone(client); });
}

void ControlServer::sendFrame(const QImage& frame) {
    if (worker_)
        QMetaObject::invokeMethod(worker_, [w = worker_, frame] { w->sendFrame(frame); });
}

void ControlServer::setFile(const QString& path, const QByteArray& type, const QByteArray& body) {
    if (worker_)
        QMetaObject::invokeMethod(
            worker_, [w = worker_, path, type, body] { w->setFile(path, type, body); });
}

QString ControlServer::makeToken() {
    QString t;
    for (int i = 0; i < 4; ++i)
        t += QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), 8, 16,
                                      QLatin1Char('0'));
    return t;
}
