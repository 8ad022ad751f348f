#include "gui/anfragedienst.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

#include "frame/anfrage.h"

namespace fibu {

Anfragedienst::Anfragedienst(Bearbeiter bearbeiter, QObject* parent)
    : QObject(parent), bearbeiter_(std::move(bearbeiter)), server_(new QLocalServer(this)) {
  connect(server_, &QLocalServer::newConnection, this, &Anfragedienst::neue_verbindung);
}

Anfragedienst::~Anfragedienst() { server_->close(); }

bool Anfragedienst::laeuft() const { return server_->isListening(); }

Ergebnis Anfragedienst::starten(const std::string& pfad) {
  // QLocalServer::listen would take over the name of a server that is
  // running: ask first whether someone answers there.
  if (Ergebnis e = anfrage_pfad_frei(pfad); !e) return e;
  const QString name = QString::fromStdString(pfad);
  QLocalServer::removeServer(name);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name))
    return Ergebnis::fehler(Ergebnis::Code::EA_Fehler,
                            "Der Anfragedienst kann nicht starten (" + pfad +
                                "): " + server_->errorString().toStdString());
  return Ergebnis::erfolg();
}

void Anfragedienst::neue_verbindung() {
  while (QLocalSocket* v = server_->nextPendingConnection()) {
    // Deleted after hanging up, but never while its request is handled.
    connect(v, &QLocalSocket::disconnected, v, [v] {
      if (!v->property("in_arbeit").toBool()) v->deleteLater();
    });
    connect(v, &QLocalSocket::readyRead, this, [this, v] { lesen(v); });
    connect(v, &QLocalSocket::readChannelFinished, this, [this, v] {
      v->setProperty("ende", true);
      if (v->bytesAvailable() > 0) lesen(v);
    });
    // A client that sends nothing within five seconds is dropped.
    auto* frist = new QTimer(v);
    frist->setSingleShot(true);
    connect(frist, &QTimer::timeout, v, &QLocalSocket::abort);
    frist->start(5000);
    if (v->bytesAvailable() > 0) lesen(v);
  }
}

void Anfragedienst::lesen(QLocalSocket* v) {
  // A request is one line; a client that ends its side after the text
  // without a line feed is answered too, as the batch tool's server does.
  if (v->property("beantwortet").toBool()) return;
  const bool ende = v->property("ende").toBool();
  if (!v->canReadLine() && !ende) {
    if (v->bytesAvailable() > static_cast<qint64>(anfrage_max_zeile)) v->abort();
    return;
  }
  QByteArray zeile = v->readLine(anfrage_max_zeile + 2);
  if (zeile.endsWith('\n'))
    zeile.chop(1);
  else if (!ende || zeile.size() > static_cast<qint64>(anfrage_max_zeile)) {
    v->abort();  // longer than a request may be
    return;
  }
  // Answer once, however long the handler runs (it may show dialogs while
  // more data or the client's hang-up arrive).
  v->setProperty("beantwortet", true);
  if (auto* frist = v->findChild<QTimer*>()) frist->stop();
  v->setProperty("in_arbeit", true);
  auto [item, text] = anfrage_zerlegen(zeile.toStdString());
  std::string antwort = "FEHLER\n";
  try {
    antwort = bearbeiter_(item, text) + "\n";
  } catch (const std::exception&) {
    // The handler reports its errors itself; the caller learns of none.
  }
  v->setProperty("in_arbeit", false);
  if (v->state() != QLocalSocket::ConnectedState) {
    v->deleteLater();
    return;
  }
  v->write(antwort.data(), static_cast<qint64>(antwort.size()));
  v->flush();
  v->disconnectFromServer();
}

}  // namespace fibu
