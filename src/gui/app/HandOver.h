#pragma once
// The channel between a second start and the running copy: a local socket beside the lock in
// the user's private runtime folder. The running copy listens; a second start sends one
// request (come to the front, or open a log) and ends once the running copy took it. Every
// wait has a deadline and every message a bound, so a silent or hostile peer holds up neither
// side.

#include <QObject>
#include <QString>
#include <functional>

#include "core/app/SecondStart.h"

class QLocalServer;
class QLocalSocket;

namespace qx7::gui {

class HandOverServer final : public QObject {
  public:
    using Handler = std::function<void(const HandOverRequest&)>;

    // handler runs from the event loop after the sender got its answer, never inside a
    // socket's signal.
    explicit HandOverServer(Handler handler, QObject* parent = nullptr);
    ~HandOverServer() override;

    // Listens at socketPath, only for this user. The caller holds the instance lock, so a
    // socket file left there belongs to a copy that ended and is replaced.
    bool Listen(const QString& socketPath);
    QString ErrorText() const;

    // How long a connection may take to deliver its request, and how many may be open at once.
    static constexpr int kRequestDeadlineMs = 5000;
    static constexpr int kMaxConnections = 8;

  private:
    void TakeConnection();
    void ReadRequest(QLocalSocket* socket);

    Handler handler_;
    QLocalServer* server_;
    int open_ = 0;
};

// Sends the request to the copy listening at socketPath and waits for its answer, at most
// deadlineMs in all (also while that copy is still starting and not yet listening). True when
// the running copy accepted the request.
bool SendHandOver(const QString& socketPath, const HandOverRequest& request, int deadlineMs);

}  // namespace qx7::gui
