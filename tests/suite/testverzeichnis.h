// A fresh temporary directory per test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace fibu {

class Testverzeichnis {
 public:
  Testverzeichnis() {
    std::string vorlage = (std::filesystem::temp_directory_path() / "fibu-test-XXXXXX").string();
    pfad_ = ::mkdtemp(vorlage.data());
  }
  ~Testverzeichnis() {
    std::error_code ec;
    std::filesystem::remove_all(pfad_, ec);
  }
  const std::string& pfad() const { return pfad_; }
  std::string operator/(const std::string& name) const { return pfad_ + "/" + name; }

 private:
  std::string pfad_;
};

}  // namespace fibu
