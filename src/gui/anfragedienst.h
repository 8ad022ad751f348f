// The request service of the desktop program: the same socket path and
// one-line protocol as the batch tool's server (frame/anfrage.h), served by
// a QLocalServer inside the window's event loop, so requests are answered
// between menu commands and the busy flag of the main window applies.
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "suite/ergebnis.h"

class QLocalServer;
class QLocalSocket;

namespace fibu {

class Anfragedienst : public QObject {
  Q_OBJECT

 public:
  using Bearbeiter = std::function<std::string(const std::string& item, const std::string& text)>;

  explicit Anfragedienst(Bearbeiter bearbeiter, QObject* parent = nullptr);
  ~Anfragedienst() override;

  // Listens on the path; refused while another program answers there.
  Ergebnis starten(const std::string& pfad);
  bool laeuft() const;

 private:
  void neue_verbindung();
  void lesen(QLocalSocket* verbindung);

  Bearbeiter bearbeiter_;
  QLocalServer* server_;
};

}  // namespace fibu
