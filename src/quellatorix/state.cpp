#include "quellatorix/state.hpp"

namespace qx::program {

void write_record_line(Session& s, std::int32_t nread) {
  s.out(Line(" while reading data nb ").n(nread, 5));
}

}  // namespace qx::program
