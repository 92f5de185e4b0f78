#include "gui/app/HandOver.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <string>

namespace qx7::gui {
namespace {

constexpr char kBufferProperty[] = "qx7HandOverBytes";

// Only this user's processes may ask: the folder is private, and the peer's identity is
// checked as well.
bool PeerIsThisUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

}  // namespace

HandOverServer::HandOverServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(kMaxConnections);
    connect(server_, &QLocalServer::newConnection, this, &HandOverServer::TakeConnection);
}

HandOverServer::~HandOverServer() = default;

bool HandOverServer::Listen(const QString& socketPath) {
    QLocalServer::removeServer(socketPath);
    return server_->listen(socketPath);
}

QString HandOverServer::ErrorText() const {
    return server_->errorString();
}

void HandOverServer::TakeConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (open_ >= kMaxConnections || !PeerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++open_;
        connect(socket, &QObject::destroyed, this, [this] { --open_; });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequest(socket); });
        // A peer that says nothing, or too little, is dropped.
        QTimer::singleShot(kRequestDeadlineMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        ReadRequest(socket);
    }
}

void HandOverServer::ReadRequest(QLocalSocket* socket) {
    if (socket->state() != QLocalSocket::ConnectedState) {
        return;
    }
    QByteArray bytes = socket->property(kBufferProperty).toByteArray();
    const qint64 room = static_cast<qint64>(kHandOverHeaderSize + kHandOverMaxPath) + 1 -
                        bytes.size();
    bytes += socket->read(room);
    socket->setProperty(kBufferProperty, bytes);
    HandOverRequest request;
    switch (ParseHandOver(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), request)) {
        case HandOverParse::kIncomplete:
            return;
        case HandOverParse::kInvalid:
            socket->abort();
            socket->deleteLater();
            return;
        case HandOverParse::kComplete:
            break;
    }
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    socket->write(&kHandOverAccepted, 1);
    socket->disconnectFromServer();  // after the answer is written
    // The request runs after this signal returns: it may open dialogs with loops of their own.
    QTimer::singleShot(0, this, [this, request] { handler_(request); });
}

bool SendHandOver(const QString& socketPath, const HandOverRequest& request, int deadlineMs) {
    const QDeadlineTimer deadline(deadlineMs);
    QLocalSocket socket;
    // The running copy may hold the lock and not listen yet: it is still starting.
    for (;;) {
        socket.abort();
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(100);
    }
    const std::string bytes = EncodeHandOver(request);
    socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kHandOverAccepted;
}

}  // namespace qx7::gui
