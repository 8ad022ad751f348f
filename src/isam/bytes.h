// Little-endian fields inside the pages of the manager's files.
#pragma once

#include <cstddef>
#include <cstring>

namespace fibu::isam {

template <typename T>
T get(const char* p, std::size_t off) {
  T v;
  std::memcpy(&v, p + off, sizeof(T));
  return v;
}

template <typename T>
void put(char* p, std::size_t off, T v) {
  std::memcpy(p + off, &v, sizeof(T));
}

}  // namespace fibu::isam
