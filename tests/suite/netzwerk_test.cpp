#include "suite/netzwerk.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testverzeichnis.h"

namespace fibu {
namespace {

// A child process that reserves `name`, reports through a pipe, and then
// waits until it is told to end (or is killed).
class Halter {
 public:
  Halter(const std::string& verzeichnis, const std::string& name) {
    int hin[2], zurueck[2];
    if (::pipe(hin) != 0 || ::pipe(zurueck) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(hin[1]);
      ::close(zurueck[0]);
      auto fs = echtes_dateisystem();
      Netzwerk netz(*fs, verzeichnis);
      char ok = netz.lock(name) ? '1' : '0';
      if (::write(zurueck[1], &ok, 1) != 1) ::_exit(2);
      char c;
      [[maybe_unused]] auto r = ::read(hin[0], &c, 1);  // until told to end
      ::_exit(0);
    }
    ::close(hin[0]);
    ::close(zurueck[1]);
    an_kind_ = hin[1];
    char ok = '0';
    if (::read(zurueck[0], &ok, 1) != 1) ok = '0';
    ::close(zurueck[0]);
    hat_reserviert_ = ok == '1';
  }
  ~Halter() { beenden(); }

  bool hat_reserviert() const { return hat_reserviert_; }
  void beenden() {
    if (pid_ <= 0) return;
    ::close(an_kind_);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  void toeten() {
    ::kill(pid_, SIGKILL);
    ::close(an_kind_);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

 private:
  pid_t pid_ = 0;
  int an_kind_ = -1;
  bool hat_reserviert_ = false;
};

TEST(Netzwerk, ASecondProcessIsRefusedUntilTheFirstEnds) {
  Testverzeichnis tmp;
  auto fs = echtes_dateisystem();
  Halter anderer(tmp.pfad(), "FIBU0052024");
  ASSERT_TRUE(anderer.hat_reserviert());

  Netzwerk netz(*fs, tmp.pfad());
  EXPECT_FALSE(netz.lock("FIBU0052024"));
  EXPECT_TRUE(netz.lock("FIBU0062024"));  // other names are free
  anderer.beenden();
  EXPECT_TRUE(netz.lock("FIBU0052024"));
}

TEST(Netzwerk, ACrashedHolderDoesNotBlock) {
  Testverzeichnis tmp;
  auto fs = echtes_dateisystem();
  Halter anderer(tmp.pfad(), "FIBU9992007");
  ASSERT_TRUE(anderer.hat_reserviert());
  anderer.toeten();
  Netzwerk netz(*fs, tmp.pfad());
  EXPECT_TRUE(netz.lock("FIBU9992007"));
}

TEST(Netzwerk, TheHolderIsRefusedToOthersInTheSameProcessAndReleases) {
  Testverzeichnis tmp;
  auto fs = echtes_dateisystem();
  Netzwerk a(*fs, tmp.pfad()), b(*fs, tmp.pfad());
  ASSERT_TRUE(a.lock("FIBU0012024"));
  EXPECT_TRUE(a.lock("FIBU0012024"));  // holding it already
  EXPECT_FALSE(b.lock("FIBU0012024"));
  a.unlock("FIBU0012024");
  EXPECT_FALSE(a.haelt("FIBU0012024"));
  EXPECT_TRUE(b.lock("FIBU0012024"));
  {
    Netzwerk c(*fs, tmp.pfad());
    ASSERT_TRUE(c.lock("FIBU0022024"));
  }  // released by the destructor
  EXPECT_TRUE(b.lock("FIBU0022024"));
}

TEST(Netzwerk, WithoutANetworkEveryReservationSucceeds) {
  auto fs = echtes_dateisystem();
  Netzwerk a(*fs, "/gibt/es/nicht", false), b(*fs, "/gibt/es/nicht", false);
  EXPECT_TRUE(a.lock("FIBU0012024"));
  EXPECT_TRUE(b.lock("FIBU0012024"));
}

TEST(Netzwerk, AMissingDirectoryRefuses) {
  auto fs = echtes_dateisystem();
  Netzwerk a(*fs, "/gibt/es/nicht");
  EXPECT_FALSE(a.lock("FIBU0012024"));
}

}  // namespace
}  // namespace fibu
