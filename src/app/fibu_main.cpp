// The desktop program. Started in the directory that holds KONF.DAT, with
// the command-line flags of the program (e.g. /W=9992007 for the demo client).
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <filesystem>
#include <sstream>

#include "frame/tffibu.h"
#include "gui/tffibu_view.h"
#include "suite/batch_interaktion.h"

namespace {

// Messages and questions as message boxes; dialogs get their views later.
class Meldungen : public fibu::BatchInteraktion {
 public:
  using BatchInteraktion::BatchInteraktion;
  void ShowMessageMain(const std::string& text) override {
    std::string t = text;
    for (char& c : t)
      if (c == '\r') c = '\n';
    QMessageBox::information(nullptr, QStringLiteral("Finanzbuchhaltung"), QString::fromStdString(t));
  }
  bool JaNein2(const std::string& frage) override {
    std::string t = frage;
    for (char& c : t)
      if (c == '\r') c = '\n';
    return QMessageBox::question(nullptr, QStringLiteral("Finanzbuchhaltung"),
                                 QString::fromStdString(t)) == QMessageBox::Yes;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("fibu"));
  try {
    auto fs = fibu::echtes_dateisystem();
    std::ostringstream log;
    Meldungen ui(fibu::Antworten(), log, *fs, "ausgabe");
    fibu::Startkonfiguration start = fibu::start_lesen(*fs, ".");
    fibu::Netzwerk netz(*fs, start.konf.fibu_pfad, start.suite.netzwerktyp != 0);
    fibu::Tagesdatum heute;
    fibu::Mandant mandant(*fs, ui, heute, start.konf.fibu_pfad, netz);
    std::vector<std::string> argumente(argv + 1, argv + argc);
    fibu::TFFibu fibu(mandant, start.suite, fibu::kommandozeile_auswerten(argumente));
    fibu.konf = &start.konf;
    // Until the selection dialog has its view: client and year asked plainly.
    auto auswahl = [&]() -> std::optional<std::pair<int, int>> {
      bool ok = false;
      QString text = QInputDialog::getText(nullptr, QStringLiteral("Mandant auswählen"),
                                           QStringLiteral("Mandantnummer und Jahr (z. B. 999 2007):"),
                                           QLineEdit::Normal, QStringLiteral("999 2007"), &ok);
      QStringList teile = text.split(' ', Qt::SkipEmptyParts);
      if (!ok || teile.size() != 2) return std::nullopt;
      return std::make_pair(teile[0].toInt(), teile[1].toInt());
    };
    if (!fibu.setup(auswahl)) return 0;
    fibu::TFFibuView fenster(&fibu);
    fenster.show();
    return QApplication::exec();
  } catch (const fibu::Abbruch& a) {
    QString text = QString::fromStdString(a.text()).replace('\r', '\n');
    QMessageBox::critical(nullptr, QStringLiteral("Finanzbuchhaltung"), text);
    return 1;
  }
}
